// The desktop's frames for the browser test to compare with: the game on the
// scripted backend and a headless Mesa context, 800 x 600 at max_fps 50,
// playing the same input script as the browser. Each pass is run as the page
// runs one for a test: the clock moves 20 ms, then one pass of the loop, which
// the display paces (no sleep, no wait in a dialog). Frames are written as
// binary PPM (RGB, top row first).
//
//   orvanthe-desktop-frames SCRIPT DATA_DIR OUT_DIR
//     writes OUT_DIR/NAME.ppm for every "shot NAME" of the script
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/startup.h"
#include "core/asset_file.h"
#include "core/settings.h"
#include "core/state.h"
#include "platform/scripted/script.h"

namespace {

constexpr uint32_t kStepMs = 20;

struct KeyName {
    const char* code;  // KeyboardEvent.code, as the browser test sends it
    platform::Key key;
};
constexpr KeyName kKeys[] = {
    {"Enter", platform::Key::Enter},    {"Escape", platform::Key::Escape},    {"ControlLeft", platform::Key::Control},
    {"ArrowLeft", platform::Key::Left}, {"ArrowRight", platform::Key::Right}, {"ArrowUp", platform::Key::Up},
    {"ArrowDown", platform::Key::Down}, {"KeyW", platform::Key::W},           {"KeyA", platform::Key::A},
    {"KeyS", platform::Key::S},         {"KeyD", platform::Key::D},           {"Tab", platform::Key::Tab},
};

bool FindKey(const std::string& code, platform::Key* key) {
    for (const KeyName& k : kKeys) {
        if (code == k.code) {
            *key = k.key;
            return true;
        }
    }
    return false;
}

bool WriteFrame(const std::string& path) {
    const int width = kWindowWidth, height = kWindowHeight;
    std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    // GL's rows run bottom to top.
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) out.write(reinterpret_cast<const char*>(&rgba[(size_t(y) * width + x) * 4]), 3);
    }
    return bool(out);
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "orvanthe-desktop-frames: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Fail("usage: orvanthe-desktop-frames SCRIPT DATA_DIR OUT_DIR");
    std::ifstream script(argv[1]);
    if (!script) return Fail(std::string("cannot read ") + argv[1]);
    const std::string outDir = argv[3];
    std::error_code made;
    std::filesystem::create_directories(outDir, made);
    if (made) return Fail("cannot make " + outDir + ": " + made.message());

    script::Reset();
    ResetProgramState();
    // No settings file is read: the defaults with the cap the page is given.
    g_settings = Settings();
    g_settings.maxFps = 50;
    SetAssetFolder(argv[2]);
    script::SetDisplayPacesLoop(true);
    std::string error;
    if (!OpenGameWindow(kWindowWidth, kWindowHeight, &error)) return Fail(error);
    InitGame();

    std::string line;
    int lineNumber = 0;
    int shots = 0;
    while (std::getline(script, line)) {
        ++lineNumber;
        const std::string where = std::string(argv[1]) + ":" + std::to_string(lineNumber) + ": ";
        std::istringstream words(line.substr(0, line.find('#')));
        std::string verb;
        if (!(words >> verb)) continue;
        if (verb == "shot") {
            std::string name;
            if (!(words >> name)) return Fail(where + "shot needs a name");
            if (!WriteFrame(outDir + "/" + name + ".ppm")) return Fail("cannot write " + outDir + "/" + name + ".ppm");
            ++shots;
            continue;
        }
        int count = 0;
        if (verb != "step" || !(words >> count) || count < 1) return Fail(where + "expected: step N [KEY ...]");
        std::vector<platform::Key> keys;
        for (std::string code; words >> code;) {
            platform::Key key;
            if (!FindKey(code, &key)) return Fail(where + "unknown key " + code);
            keys.push_back(key);
        }
        for (platform::Key k : keys) script::HoldKey(k, true);
        for (int i = 0; i < count; ++i) {
            script::AdvanceTime(kStepMs);
            int exitCode = 0;
            if (!MainLoopPass(&exitCode)) return Fail(where + "the game ended");
        }
        for (platform::Key k : keys) script::HoldKey(k, false);
    }
    ShutdownGame();
    platform::DestroyMainWindow();
    if (shots == 0) return Fail(std::string("no shot in ") + argv[1]);
    std::printf("%d frames written to %s\n", shots, outDir.c_str());
    return 0;
}
