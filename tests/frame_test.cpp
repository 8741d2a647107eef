// Whole frames on the generated assets keep their recorded pixels; the sky's copy leaves the drawn box's colour
// and depth; a steady frame of full play allocates nothing and reads nothing back from GL. Own program: it counts
// every operator new and every call of GL's getters.
#include <GL/gl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/sky_view.h"
#include "core/best_run.h"
#include "core/settings.h"
#include "monsters/monster.h"
#include "scenery/sky_cache.h"
#include "scenery/skybox.h"
#include "scenery_fixture.h"
#include "text/dialogs.h"
#include "world/explosion.h"
#include "world/world.h"

static std::atomic<long> g_news{0};
static void* CountedMalloc(size_t n) noexcept {
    ++g_news;
    return std::malloc(n ? n : 1);
}
static void* CountedNew(size_t n) {
    if (void* p = CountedMalloc(n)) return p;
    throw std::bad_alloc();
}
// Every form, so AddressSanitizer's own never meets our free.
void* operator new(size_t n) { return CountedNew(n); }
void* operator new[](size_t n) { return CountedNew(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return CountedMalloc(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return CountedMalloc(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

// GL's getters, counted while g_countReads is set; each hands on to GL's own.
static bool g_countReads = false;
static int g_glReads = 0;
#define COUNTED_GL(ret, name, params, args)                                                \
    extern "C" ret name params {                                                           \
        if (g_countReads) ++g_glReads;                                                     \
        static const auto real = reinterpret_cast<ret(*) params>(dlsym(RTLD_NEXT, #name)); \
        return real args;                                                                  \
    }
COUNTED_GL(void, glGetIntegerv, (GLenum p, GLint* v), (p, v))
COUNTED_GL(void, glGetFloatv, (GLenum p, GLfloat* v), (p, v))
COUNTED_GL(void, glGetDoublev, (GLenum p, GLdouble* v), (p, v))
COUNTED_GL(void, glGetBooleanv, (GLenum p, GLboolean* v), (p, v))
COUNTED_GL(void, glGetTexEnviv, (GLenum t, GLenum p, GLint* v), (t, p, v))
COUNTED_GL(GLboolean, glIsEnabled, (GLenum c), (c))
COUNTED_GL(GLboolean, glIsList, (GLuint l), (l))
COUNTED_GL(GLboolean, glIsTexture, (GLuint t), (t))
COUNTED_GL(GLenum, glGetError, (), ())
COUNTED_GL(void, glReadPixels, (GLint x, GLint y, GLsizei w, GLsizei h, GLenum f, GLenum t, void* d),
           (x, y, w, h, f, t, d))

namespace {

using platform::Key;

// FNV-1a over every byte of the drawable, read as RGBA.
uint64_t FrameHash() {
    int width = 0, height = 0;
    platform::GetDrawableSize(&width, &height);
    uint64_t h = 14695981039346656037ull;
    for (uint8_t b : ReadFrame(width, height)) h = (h ^ b) * 1099511628211ull;
    return h;
}

uint64_t g_dialogHash = 0;
// The pause: its first drawing is hashed, then ENTER goes down (and up after the dialog closes).
void HashThenEnter(int waits) {
    if (waits == 1) {
        g_dialogHash = FrameHash();
        script::ReleaseAllKeys();
    }
    if (waits == 2) script::HoldKey(Key::Enter, true);
}

// The bench's full load: three monsters in view and idle, twenty bullets straight ahead, the bench's burst
// far off and one close enough to show its sprite, from a fixed seed.
void SetUpFullLoad() {
    const Vector3 spots[3] = {{150.0f, -150.0f, -700.0f}, {324.0f, -150.0f, -650.0f}, {90.0f, -150.0f, -900.0f}};
    for (size_t i = 0; i < g_monsters.size() && i < 3; ++i) {
        g_monsters[i]->Place(spots[i].x, spots[i].y, spots[i].z);
        g_monsters[i]->hunting = false;
    }
    g_bullets.clear();
    for (int i = 0; i < 20; ++i) {
        const float z = -349.0f - 40.0f * float(i);
        g_bullets.push_back(std::make_unique<Bullet>());
        g_bullets.back()->Aim(Vector3(234.0f, -160.0f, z), Vector3(234.0f, -160.0f, z - 1.0f));
    }
    g_random.Seed(20261207);
    g_explosions.push_back(std::make_unique<Explosion>(234.0f, -150.0f, -500.0f));
    const Vector3 eye = g_camera.position;
    g_explosions.push_back(std::make_unique<Explosion>(eye.x - 8.0f, eye.y - 4.0f, eye.z - 45.0f));
}
void IdleFrames(int count) {
    for (int i = 0; i < count; ++i) {
        for (auto& m : g_monsters) m->huntDelay = TickTimer{true, script::Now()};
        g_hitMark = TickTimer{true, script::Now()};  // the crosshair stays marked
        RunFrame();
    }
}

class Frame : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        LinkGeneratedData(dir_);
        script::SetFrameCost(20);
        // The goldens were recorded before play had a HUD: hidden, frames are as they were, to the bit.
        g_settings.showHud = false;
        InitGame();
    }
    void TearDown() override {
        g_settings.showHud = Settings().showHud;
        script::OnWait(nullptr);
        ShutdownGame();
        GameTest::TearDown();
    }
    ScratchDir dir_;
};

struct Golden {
    int width, height;
    uint64_t title, play, fullLoad, burstLater, pause;
};

// Recorded before the overlay was cut to rectangles, the burst's sprite shared and the kept frame dropped; again
// since the overlay keeps its shape wider than 4:3 (1280 x 720 in play) and with the title's options line and the
// pause's Options button. The same under LP_NUM_THREADS=0 and the default. Other renderers round differently.
constexpr const char* kRenderer = "llvmpipe (LLVM 15.0.6, 256 bits), 4.5 (Compatibility Profile) Mesa 22.3.6";
const Golden kGoldens[] = {
    {800, 600, 0xc01dacf0bcc62f97ull, 0x8e105912082f2b28ull, 0x4a22809abc0f6469ull, 0xb1e6f3e5fb2d1f19ull,
     0x9e5799c36264173dull},
    {1280, 720, 0x807ab7d623907f35ull, 0xa4ed5b4efaa49964ull, 0xa4f4f1ff13743dbaull, 0x90e3036a52ae5497ull,
     0xcd7698979ef52df2ull},
};

}  // namespace

TEST_F(Frame, TitlePlayFullLoadAndPauseKeepTheirRecordedPixels) {
    const std::string gl = std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) + ", " +
                           reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (gl != kRenderer) GTEST_SKIP() << "hashes recorded on " << kRenderer << "; this is " << gl;
    for (const Golden& want : kGoldens) {
        SCOPED_TRACE(std::to_string(want.width) + "x" + std::to_string(want.height));
        ShutdownGame();
        InitGame();
        script::ReleaseAllKeys();
        Reshape(want.width, want.height);
        ReachTitle();
        RunFrame();  // the title's red tints this sky
        std::vector<uint64_t> got{FrameHash()};
        StartPlay();
        g_hitMark = TickTimer{true, script::Now()};  // a hit to mark, hidden with the rest of the HUD
        for (int i = 0; i < 3; ++i) RunFrame();
        ASSERT_TRUE(HitMarkShowing());
        got.push_back(FrameHash());
        SetUpFullLoad();
        IdleFrames(1);
        got.push_back(FrameHash());
        IdleFrames(9);
        got.push_back(FrameHash());
        script::OnWait(HashThenEnter);
        script::HoldKey(Key::Escape, true);
        IdleFrames(1);
        script::OnWait(nullptr);
        script::ReleaseAllKeys();
        got.push_back(g_dialogHash);
        EXPECT_EQ(got, (std::vector<uint64_t>{want.title, want.play, want.fullLoad, want.burstLater, want.pause}));
    }
}

// At max_fps 50 the game's own loop draws a tick a frame, at the tick: the title and play frames of the goldens.
TEST_F(Frame, TheLoopAtFiftyFramesASecondDrawsTheGoldens) {
    const std::string gl = std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) + ", " +
                           reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (gl != kRenderer) GTEST_SKIP() << "hashes recorded on " << kRenderer << "; this is " << gl;
    g_settings.maxFps = 50;
    std::string error;
    ASSERT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;  // as the game opens it at 50
    int code = 0;
    const auto pass = [&code](int passes) {
        for (int i = 0; i < passes; ++i) ASSERT_TRUE(MainLoopPass(&code));
    };
    pass(2);
    const uint64_t title = FrameHash();
    script::HoldKey(Key::Enter, true);
    pass(1);
    script::HoldKey(Key::Enter, false);
    pass(3);
    const uint64_t play = FrameHash();
    g_settings.maxFps = 0;
    EXPECT_EQ(script::CountLog("vsync on"), 0) << "the tick's pacing, unsynchronised";
    EXPECT_EQ(title, kGoldens[0].title);
    EXPECT_EQ(play, kGoldens[0].play);
}

// Play with the HUD shown, the count and a hit mark over the overlay, keeps its recorded pixels at 4:3 and wide.
TEST_F(Frame, PlayWithTheHudShownKeepsItsRecordedPixels) {
    const std::string gl = std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) + ", " +
                           reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (gl != kRenderer) GTEST_SKIP() << "hashes recorded on " << kRenderer << "; this is " << gl;
    const struct {
        int width, height;
        uint64_t hash;
    } goldens[] = {{800, 600, 0x388a66c8fc7298eaull}, {1280, 720, 0x47279923a31d0487ull}};
    g_settings.showHud = true;
    for (const auto& want : goldens) {
        SCOPED_TRACE(std::to_string(want.width) + "x" + std::to_string(want.height));
        ShutdownGame();
        InitGame();
        script::ReleaseAllKeys();
        Reshape(want.width, want.height);
        StartPlay();
        g_hitMark = TickTimer{true, script::Now()};
        for (int i = 0; i < 3; ++i) RunFrame();
        ASSERT_TRUE(HitMarkShowing());
        EXPECT_EQ(FrameHash(), want.hash) << std::hex << FrameHash();
    }
}

// A best time known: its line shows in the title's lower left, over the options hint, and every other pixel is
// the title's without one. The no-best title is the golden's, above.
TEST_F(Frame, ABestTimeDrawsItsLineAndLeavesTheRestOfTheTitleAsItWas) {
    const auto titleFrame = [this] {
        ShutdownGame();
        InitGame();
        script::ReleaseAllKeys();
        Reshape(800, 600);
        ReachTitle();
        RunFrame();
        return ReadFrame();
    };
    const std::vector<uint8_t> none = titleFrame();
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string keepXdg = oldXdg ? oldXdg : "";
    setenv("XDG_DATA_HOME", (dir_.path() + "/share").c_str(), 1);
    ASSERT_EQ(std::system(("mkdir -p " + dir_.path() + "/share/orvanthe").c_str()), 0);
    dir_.Write("share/orvanthe/best.ini", "[best]\nticks = 2118\n");
    LoadBestRun();
    ASSERT_TRUE(BestRunKnown());
    const std::vector<uint8_t> best = titleFrame();
    ForgetBestRun();
    if (oldXdg) {
        setenv("XDG_DATA_HOME", keepXdg.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }

    // The line's box in the 800 x 600 space, y up: from x 14 and down from its top at y 49, as far as the real
    // font's letters reach, above the hint's.
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const size_t at = (size_t(y) * 800 + size_t(x)) * 4;
            const bool changed = !std::equal(none.begin() + at, none.begin() + at + 4, best.begin() + at);
            const bool inside = x >= 10 && x < 220 && y >= 32 && y < 53;
            (inside ? changedInside : changedOutside) += changed;
        }
    }
    EXPECT_GT(changedInside, 300) << "\"Best time 0:42.36\" drawn";
    EXPECT_EQ(changedOutside, 0);
}

// Colour (RGBA) then depth of the whole drawable.
std::vector<uint32_t> ColourAndDepth() {
    int width = 0, height = 0;
    platform::GetDrawableSize(&width, &height);
    std::vector<uint32_t> out(size_t(width) * size_t(height) * 2);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, out.data() + out.size() / 2);
    return out;
}

// The sky put back from its copy leaves the very colour and depth the box drawn leaves, in red and white.
TEST_F(Frame, TheSkysCopyLeavesTheColourAndDepthOfTheDrawnBox) {
    const auto check = [this](const char* when) {
        SCOPED_TRACE(when);
        for (int i = 0; i < 3; ++i) RunFrame();
        // The tint the frames before drew it in: the title's red, play's white.
        ClearAndDrawSky(g_inTitle ? SkyTint{1, 0, 0, 1} : SkyTint{1, 1, 1, 1});
        EXPECT_TRUE(g_skyCache.FromCopy());
        const std::vector<uint32_t> copied = ColourAndDepth();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const SkyBoxShape box = SkyBoxForView();
        DrawSkyBox(box.x, box.y, box.z, box.width, box.height, box.length);
        EXPECT_TRUE(copied == ColourAndDepth());
    };
    ReachTitle();
    check("title");
    Reshape(1280, 720);
    check("title, resized");
    StartPlay();
    check("play");
    Reshape(800, 600);
    check("play, resized");
}

// Full load, the bursts kept young, the HUD shown with the crosshair marked: once the first frames have filled what
// they fill, play allocates nothing.
TEST_F(Frame, ASteadyFrameOfFullPlayAllocatesNothing) {
    g_settings.showHud = true;
    StartPlay();
    SetUpFullLoad();
    script::KeepLog(false);
    IdleFrames(5);
    const long before = g_news;
    for (int i = 0; i < 100; ++i) {
        for (auto& e : g_explosions) e->startTick = script::Now();
        IdleFrames(1);
    }
    EXPECT_EQ(g_explosions.size(), 2u);
    EXPECT_EQ(g_news - before, 0);
    EXPECT_FALSE(g_inTitle);
}

// What a frame draws follows from values the game keeps: steady frames of the title and of full play (HUD and hit
// mark shown), kept for a
// pause or not, read nothing back from GL. The first frames may (the sky's copy is checked once).
TEST_F(Frame, ASteadyFrameReadsNothingBackFromGl) {
    const auto readsIn = [](int frames) {
        g_glReads = 0;
        g_countReads = true;
        IdleFrames(frames);
        g_countReads = false;
        return g_glReads;
    };
    g_settings.showHud = true;
    ReachTitle();
    IdleFrames(3);
    EXPECT_EQ(readsIn(10), 0) << "title";
    StartPlay();
    SetUpFullLoad();
    IdleFrames(3);
    EXPECT_EQ(readsIn(10), 0) << "full play";
    g_glReads = 0;
    g_countReads = true;
    glIsEnabled(GL_DEPTH_TEST);
    g_countReads = false;
    EXPECT_EQ(g_glReads, 1) << "the count sees GL's getters";
}

// A lost focus's pause shows the frame just presented, as ESC's does; not the frame an earlier pause kept.
TEST_F(Frame, LosingTheFocusPausesOverTheSameFrameAsEscape) {
    uint64_t hashes[2] = {};
    for (bool byFocus : {true, false}) {
        SCOPED_TRACE(byFocus ? "focus" : "escape");
        ShutdownGame();
        InitGame();
        script::SetTime(5000);
        ReachTitle();
        StartPlay();
        script::OnWait(HashThenEnter);
        script::HoldKey(Key::Escape, true);
        RunFrame();
        script::ReleaseAllKeys();
        for (int i = 0; i < 3; ++i) RunFrame();
        g_dialogHash = 0;
        if (byFocus) {
            script::QueueMessage({platform::MessageType::Focus});  // focus lost
            int code = 0;
            ASSERT_TRUE(MainLoopPass(&code));
            for (int pass = 0; GameDialogOpen() && pass < 10; ++pass) ASSERT_TRUE(MainLoopPass(&code));
        } else {
            RunFrame();
            script::HoldKey(Key::Escape, true);
            RunFrame();
        }
        script::OnWait(nullptr);
        script::ReleaseAllKeys();
        ASSERT_NE(g_dialogHash, 0u) << "the pause opened";
        hashes[byFocus ? 0 : 1] = g_dialogHash;
    }
    EXPECT_EQ(hashes[0], hashes[1]);
}

// A box leaves GL as the frames after it need it: play resumed from the pause draws the very frame the same tick
// draws where nobody paused.
TEST_F(Frame, TheFrameAfterAResumedPauseIsTheFrameWithoutOne) {
    g_settings.maxFps = 50;
    uint64_t hashes[2] = {};
    uint32_t times[2] = {};
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "straight on");
        ShutdownGame();
        ResetProgramState();
        script::SetTime(5000);
        std::string error;
        ASSERT_TRUE(OpenGameWindow(kWindowWidth, kWindowHeight, &error)) << error;
        PlaceCameraAtStart();
        InitGame();
        int code = 0;
        const auto pass = [&code](int passes) {
            for (int i = 0; i < passes; ++i) ASSERT_TRUE(MainLoopPass(&code));
        };
        pass(2);
        script::HoldKey(Key::Enter, true);
        pass(1);
        script::HoldKey(Key::Enter, false);
        script::HoldKey(Key::Left, true);  // the view turns: each tick's frame differs from the one before
        pass(5);
        script::HoldKey(Key::Escape, paused);
        pass(1);
        script::HoldKey(Key::Escape, false);
        if (paused) {
            ASSERT_TRUE(GameDialogOpen());
            script::HoldKey(Key::Left, false);
            script::HoldKey(Key::Enter, true);
            for (int i = 0; i < 10 && GameDialogOpen(); ++i) pass(1);
            ASSERT_FALSE(GameDialogOpen()) << "resumed";
            script::HoldKey(Key::Enter, false);
            script::HoldKey(Key::Left, true);
        }
        pass(1);
        hashes[paused] = FrameHash();
        times[paused] = g_gameTime;
        script::ReleaseAllKeys();
    }
    g_settings.maxFps = 0;
    EXPECT_EQ(times[0], times[1]) << "as many ticks";
    EXPECT_EQ(hashes[0], hashes[1]);
}

// The frame that starts play shows what the next one does: not the start point under the ground, upside down, over
// a sky still tinted by the title's red. Only the monsters' poses may differ between the two.
TEST_F(Frame, TheFirstFrameOfPlayLooksLikeTheNext) {
    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        ReachTitle();
        RunFrame();  // the title's red left for the next sky
        StartPlay();
        const std::vector<uint8_t> first = ReadFrame(800, 600);
        RunFrame();
        const std::vector<uint8_t> second = ReadFrame(800, 600);
        size_t differing = 0;
        for (size_t i = 0; i < first.size(); i += 4)
            differing += std::abs(int(first[i]) - int(second[i])) + std::abs(int(first[i + 1]) - int(second[i + 1])) +
                             std::abs(int(first[i + 2]) - int(second[i + 2])) >
                         24;
        EXPECT_LT(differing, first.size() / 4 / 100) << "pixels that differ from the next frame: " << differing;
        NewGame();
        g_inTitle = true;
    }
}
