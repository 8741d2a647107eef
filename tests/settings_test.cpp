// The settings file: read over the defaults, one warning for a bad file (kept), only changes written.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/settings.h"
#include "core/state.h"
#include "game_fixture.h"
#include "platform/files.h"
#include "scenery_fixture.h"

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Names in the folder, for spotting a temporary file left behind.
std::string Listing(const std::string& dir) {
    FILE* ls = popen(("ls -A " + dir).c_str(), "r");
    std::string out;
    for (int c; ls && (c = std::fgetc(ls)) != EOF;) out += char(c);
    if (ls) pclose(ls);
    return out;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { g_settings = Settings(); }
    void TearDown() override {
        LoadSettings("");
        g_settings = Settings();
    }
    std::string Path() const { return scratch_.path() + "/settings.ini"; }
    // LoadSettings or SaveSettings with its stderr.
    std::string Load(const std::string& path) {
        return Stderr([&] { LoadSettings(path); });
    }
    std::string Save(bool expected) {
        return Stderr([&] { EXPECT_EQ(SaveSettings(), expected); });
    }
    ScratchDir scratch_;
};

}  // namespace

TEST(SettingsText, ParsesOverTheDefaultsAndNamesTheFirstProblem) {
    const Settings half{false, 0.5f, false, 70}, loud{true}, quiet{false, 1.0f, false, 70};
    const Settings steady{false, 1.0f, false, 100, 100, false}, capped{false, 1.0f, false, 100, 100, true, 144},
        slowest{false, 1.0f, false, 100, 100, true, 30}, fastest{false, 1.0f, false, 100, 100, false, 1000};
    const std::tuple<const char*, Settings, const char*> cases[] = {
        {"", Settings(), ""},
        {"# comment\n[controls]\nmouse_sensitivity=0.5\n\n[sound]\n music_volume = 70 ; quiet\n", half, ""},
        {"[sound]\nmusic_volume = 70\n[controls]\nmouse_sensitivity = 0.5\nwalk = fast\n", half,
         "line 5: unknown key controls.walk"},
        {"[controls]\nmouse_sensitivity = 0.5\n[sound]\nmusic_volume = 101\nmusic_volume = 70\n", half,
         "line 4: bad value '101' for sound.music_volume"},
        {"[controls]\nmouse_sensitivity = 0\n", Settings(), "line 2: bad value '0' for controls.mouse_sensitivity"},
        {"[display]\nfullscreen\n[sound]\nmusic_volume = 70\n", quiet, "line 2: not a setting"},
        {"[display]\nFullscreen = ON\n", loud, ""},
        {"[display]\nvsync = off\nmax_fps = 0\n", steady, ""},
        {"[display]\nmax_fps = 144\nvsync = yes\n", capped, ""},
        {"[display]\nmax_fps = 30\n", slowest, ""},
        {"[display]\nvsync = false\nmax_fps = 1000\n", fastest, ""},
        {"[display]\nvsync = false\nmax_fps = 29\n", steady, "line 3: bad value '29' for display.max_fps"},
        {"[display]\nvsync = false\nmax_fps = 1001\n", steady, "line 3: bad value '1001' for display.max_fps"},
        {"[display]\nmax_fps = 144\nmax_fps = 1\n", capped, "line 3: bad value '1' for display.max_fps"},
        {"[display]\nmax_fps = -60\n", Settings(), "line 2: bad value '-60' for display.max_fps"},
        {"[display]\nmax_fps = 60fps\n", Settings(), "line 2: bad value '60fps' for display.max_fps"},
        {"[display]\nmax_fps = lots\nvsync = off\n", steady, "line 2: bad value 'lots' for display.max_fps"},
        {"[display]\nvsync = maybe\nmax_fps = 144\n", capped, "line 2: bad value 'maybe' for display.vsync"},
    };
    for (const auto& [text, expected, problem] : cases) {
        Settings got;
        EXPECT_EQ(ParseSettings(text, &got), problem) << text;
        EXPECT_TRUE(got == expected) << text;
    }
    // The options screen's view, pad and HUD keys, each in its section and range.
    Settings wide;
    wide.fieldOfView = 75.5f;
    wide.showHud = false;
    Settings padded;
    padded.stickDeadZone = 60;
    padded.rumble = false;
    const std::tuple<const char*, Settings, const char*> more[] = {
        {"[display]\nfield_of_view = 75.5\nhud = off\n", wide, ""},
        {"[controls]\nstick_dead_zone = 60\nrumble = no\n", padded, ""},
        {"[display]\nfield_of_view = 200\n", Settings(), "line 2: bad value '200' for display.field_of_view"},
        {"[controls]\nstick_dead_zone = 4\n", Settings(), "line 2: bad value '4' for controls.stick_dead_zone"},
        {"[controls]\nhud = off\n", Settings(), "line 2: unknown key controls.hud"},
    };
    for (const auto& [text, expected, problem] : more) {
        Settings got;
        EXPECT_EQ(ParseSettings(text, &got), problem) << text;
        EXPECT_TRUE(got == expected) << text;
    }
    Settings back;
    EXPECT_EQ(ParseSettings(std::string("[sound]\0music_volume=1\n", 23), &back), "not a text file");

    // What the game writes reads back as it was, floats to the bit.
    for (const Settings& s : {Settings(), Settings{true, 1.0f / 3, true, 0, 35, false, 75}}) {
        back.musicVolume = 3;  // each key must be written, not left to the default
        back.vsync = !s.vsync;
        back.maxFps = 500;
        back.fieldOfView = 90.0f;
        back.stickDeadZone = 40;
        back.rumble = !s.rumble;
        back.showHud = !s.showHud;
        EXPECT_EQ(ParseSettings(FormatSettings(s), &back), "");
        EXPECT_TRUE(back == s) << FormatSettings(s);
    }
}

TEST(SettingsText, ThePathFollowsXdgConfigHomeThenHome) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string keepXdg = oldXdg ? oldXdg : "";
    const std::string keepHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/player", 1);
    setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(SettingsPath(), "/xdg/orvanthe/settings.ini");
    setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    EXPECT_EQ(SettingsPath(), "/home/player/.config/orvanthe/settings.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsPath(), "/home/player/.config/orvanthe/settings.ini");
    unsetenv("HOME");
    EXPECT_EQ(SettingsPath(), "");
    setenv("HOME", keepHome.c_str(), 1);
    if (oldXdg) setenv("XDG_CONFIG_HOME", keepXdg.c_str(), 1);
}

// No file: defaults, nothing written until a setting changes; then the folders are made, the file holds it.
TEST_F(SettingsFile, AMissingFileIsWrittenOnlyOnAChange) {
    const std::string path = scratch_.path() + "/config/orvanthe/settings.ini";
    EXPECT_EQ(Load(path), "");
    EXPECT_EQ(Save(true), "");
    EXPECT_TRUE(platform::NothingAt(scratch_.path() + "/config")) << "written without a change";

    g_settings.mouseSensitivity = 2.5f;
    EXPECT_EQ(Save(true), "");
    Settings back;
    EXPECT_EQ(ParseSettings(ReadText(path), &back), "");
    EXPECT_TRUE(back == g_settings);
    EXPECT_EQ(Listing(scratch_.path() + "/config/orvanthe"), "settings.ini\n");
    struct stat st;
    ASSERT_EQ(stat((scratch_.path() + "/config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Nowhere to keep them: said once.
    EXPECT_EQ(Load(""), "");
    g_settings.invertY = true;
    EXPECT_EQ(Save(false), "orvanthe: settings not saved (neither XDG_CONFIG_HOME nor HOME names a folder)\n");
    g_settings.musicVolume = 5;
    EXPECT_EQ(Save(false), "");
}

// A file with a mistake, or unreadable, is one warning line; what could be read is used, the file kept.
TEST_F(SettingsFile, ABrokenFileIsWarnedAboutOnceAndKept) {
    const std::pair<std::string, const char*> cases[] = {
        {"[controls]\ninvert_y = true\nsensitivity = 3\n[sound]\nmusic_volume = 250\n",
         "line 3: unknown key controls.sensitivity"},
        {"[controls]\ninvert_y = true\n[sound\n", "line 3: not a setting"},
        {"", "not a regular file"},  // no text: the path is a folder
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const bool readable = !text.empty();
        const std::string path = readable ? Path() : scratch_.path() + "/data";
        if (readable) scratch_.Write("settings.ini", text);
        const std::string before = readable ? ReadText(path) : Listing(path);
        const std::string warning = Load(path);
        EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
        EXPECT_NE(warning.find(expected), std::string::npos) << warning;
        EXPECT_NE(warning.find(path), std::string::npos) << warning;
        EXPECT_EQ(g_settings.invertY, readable);
        EXPECT_EQ(g_settings.musicVolume, 100);
        // A change the game cannot keep is said once, not at every toggle.
        g_settings.fullscreen = true;
        EXPECT_EQ(Save(false),
                  "orvanthe: " + path + ": not saved (the file has a mistake and is left for you to fix)\n");
        g_settings.fullscreen = false;
        g_settings.invertY = !g_settings.invertY;
        EXPECT_EQ(Save(false), "");
        EXPECT_EQ(readable ? ReadText(path) : Listing(path), before) << "written over";
    }
}

// A cap for this run only (--max-fps) is in g_settings for the game, never in the file: not by itself, not when
// another setting is saved; one the game sets itself is the player's and kept.
TEST_F(SettingsFile, ACapForThisRunIsNotWritten) {
    const std::string text = "[display]\nvsync = off\nmax_fps = 144\n";
    scratch_.Write("settings.ini", text);
    EXPECT_EQ(Load(Path()), "");
    SetMaxFpsForThisRun(60);
    EXPECT_EQ(g_settings.maxFps, 60);
    EXPECT_EQ(Save(true), "");
    EXPECT_EQ(ReadText(Path()), text) << "written for the cap alone";

    g_settings.fullscreen = true;
    EXPECT_EQ(Save(true), "");
    Settings back;
    EXPECT_EQ(ParseSettings(ReadText(Path()), &back), "");
    EXPECT_TRUE(back == (Settings{true, 1.0f, false, 100, 100, false, 144})) << ReadText(Path());
    EXPECT_EQ(g_settings.maxFps, 60) << "the run keeps its cap";

    g_settings.maxFps = 0;
    EXPECT_EQ(Save(true), "");
    EXPECT_EQ(ParseSettings(ReadText(Path()), &back), "");
    EXPECT_EQ(back.maxFps, 0);

    // No file: the cap alone makes none.
    const std::string path = scratch_.path() + "/none/settings.ini";
    EXPECT_EQ(Load(path), "");
    SetMaxFpsForThisRun(1000);
    EXPECT_EQ(Save(true), "");
    EXPECT_TRUE(platform::NothingAt(scratch_.path() + "/none"));
}

// A failed write (a file size limit, binding root too; a folder in the way) keeps the old file, no temporary.
TEST_F(SettingsFile, AFailedWriteKeepsTheOldFile) {
    scratch_.Write("settings.ini", "[sound]\nmusic_volume = 40\n");
    const std::string old = ReadText(Path());
    EXPECT_EQ(Load(Path()), "");
    g_settings.effectsVolume = 10;

    rlimit keep;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &keep), 0);
    rlimit small = keep;
    small.rlim_cur = 150;  // less than the file, more than the warning
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    const std::string warning = Save(false);
    signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &keep), 0);
    EXPECT_EQ(warning, "orvanthe: " + Path() + ": not saved (File too large)\n");
    EXPECT_EQ(ReadText(Path()), old);
    EXPECT_EQ(Listing(scratch_.path()), "data\nsettings.ini\n");

    EXPECT_EQ(Save(true), "") << "once the disk has room again the change goes out";
    Settings back;
    EXPECT_EQ(ParseSettings(ReadText(Path()), &back), "");
    EXPECT_TRUE(back == (Settings{false, 1.0f, false, 40, 10}));

    // A folder put where the file should be after it was read: the rename fails, the folder stays.
    const std::string path = scratch_.path() + "/later.ini";
    EXPECT_EQ(Load(path), "");
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    scratch_.Write("later.ini/keep", "x");
    g_settings.invertY = true;
    EXPECT_EQ(Save(false), "orvanthe: " + path + ": not saved (Is a directory)\n");
    EXPECT_EQ(Listing(path), "keep\n");
    EXPECT_EQ(Listing(scratch_.path()), "data\nlater.ini\nsettings.ini\n");
}
