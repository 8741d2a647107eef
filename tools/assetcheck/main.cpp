// Decodes files with the game's own readers and says what they made of
// them, one line a file:
//
//   orvanthe-assetcheck FILE...      FILE<TAB>ok<TAB>what | FILE<TAB>refused<TAB>reason
//   orvanthe-assetcheck --rgb FILE   the BMP's pixels as R,G,B bytes, top row
//                                    first, like ImageMagick's "rgb:-"
//
// The kind is taken from the name's ending: .bmp, .md2 or .glf. The exit
// status is 1 when any file was refused or unreadable.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "core/asset_file.h"
#include "monsters/md2.h"
#include "scenery/bmp.h"
#include "text/glf_file.h"

namespace {

constexpr size_t kMaxBytes = size_t(512) << 20;

std::string Ending(const std::string& path) {
    const size_t dot = path.rfind('.');
    std::string ending = dot == std::string::npos ? "" : path.substr(dot + 1);
    std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
    return ending;
}

// Fills *what on success, *reason on refusal.
bool Check(const std::string& path, const std::vector<uint8_t>& bytes, std::string* what, std::string* reason) {
    const std::string ending = Ending(path);
    char text[128];
    if (ending == "bmp") {
        BmpImage image;
        const BmpStatus status = DecodeBmp(bytes.data(), bytes.size(), &image);
        if (status != BmpStatus::Ok) return *reason = BmpStatusText(status), false;
        std::snprintf(text, sizeof text, "%dx%d", image.width, image.height);
    } else if (ending == "md2") {
        Md2Model model;
        const Md2Status status = DecodeMd2(bytes.data(), bytes.size(), &model);
        if (status != Md2Status::Ok) return *reason = Md2StatusText(status), false;
        const Md2Header& h = model.header;
        std::snprintf(text, sizeof text, "%d frames, %d vertices, %d triangles", h.num_frames, h.num_xyz, h.num_tris);
    } else if (ending == "glf") {
        GlfFile font;
        const GlfStatus status = ParseGlf(bytes.data(), bytes.size(), &font);
        if (status != GlfStatus::Ok) return *reason = GlfStatusText(status), false;
        std::snprintf(text, sizeof text, "%dx%d texture, codes %d to %d", font.texWidth, font.texHeight, font.firstChar,
                      font.lastChar);
    } else {
        return *reason = "not a .bmp, .md2 or .glf name", false;
    }
    *what = text;
    return true;
}

int WriteRgb(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    BmpImage image;
    if (ReadAssetFile(path, kMaxBytes, &bytes, &reason) == AssetRead::Ok) {
        const BmpStatus status = DecodeBmp(bytes.data(), bytes.size(), &image);
        if (status != BmpStatus::Ok) reason = BmpStatusText(status);
    }
    if (image.pixels.empty()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), reason.c_str());
        return 1;
    }
    const size_t rowBytes = size_t(image.width) * 3;
    for (int32_t row = image.height - 1; row >= 0; --row)
        std::fwrite(image.pixels.data() + size_t(row) * rowBytes, 1, rowBytes, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--rgb") return WriteRgb(argv[2]);
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s FILE... | --rgb FILE.bmp\n", argv[0]);
        return 2;
    }
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        std::vector<uint8_t> bytes;
        std::string what, reason;
        const bool ok =
            ReadAssetFile(path, kMaxBytes, &bytes, &reason) == AssetRead::Ok && Check(path, bytes, &what, &reason);
        std::printf("%s\t%s\t%s\n", path.c_str(), ok ? "ok" : "refused", ok ? what.c_str() : reason.c_str());
        if (!ok) result = 1;
    }
    return result;
}
