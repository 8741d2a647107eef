// BMP decoding (including hostile files) and Texture loading into GL.
#include <GL/gl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "scenery_fixture.h"
#include "game_fixture.h"
#include "scenery/bmp.h"
#include "scenery/texture.h"

namespace {

Rgb Pattern(int x, int row) { return Rgb{uint8_t(x * 7 + 1), uint8_t(row * 13 + 2), uint8_t(x + row * 3 + 3)}; }

// Opens the FIFO for writing, over and over, until destroyed. A reader that
// waits for a writer is let through at once and reads nothing, so a reader
// that blocks shows as a wrong reason instead of a hung test.
class FifoWriter {
public:
    explicit FifoWriter(const char* path) : path_(path), thread_([this] { Run(); }) {}
    ~FifoWriter() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        while (!stop_) {
            const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) close(fd);
            std::this_thread::yield();
        }
    }
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

BmpStatus Decode(const std::vector<uint8_t>& bytes, BmpImage* image) {
    return DecodeBmp(bytes.data(), bytes.size(), image);
}

// The decoded image must be exactly Pattern, bottom row first, unpadded.
void ExpectPattern(const BmpImage& image, int width, int height) {
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.pixels.size(), size_t(width) * size_t(height) * 3);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const Rgb c = Pattern(x, row);
            const uint8_t* p = &image.pixels[(size_t(row) * width + x) * 3];
            ASSERT_EQ(p[0], c.r) << x << "," << row;
            ASSERT_EQ(p[1], c.g) << x << "," << row;
            ASSERT_EQ(p[2], c.b) << x << "," << row;
        }
}

}  // namespace

TEST(BmpDecoder, ReadsWellFormedFilesBottomRowFirstUnpaddedInRgbOrder) {
    BmpOptions v5, topDown;
    v5.infoSize = 124;  // longer information headers put the pixels further in
    topDown.topDown = true;
    // Widths 1, 2, 3 and 5 carry 1 to 3 fill bytes a row; none may leak.
    // biSizeImage is neither trusted nor needed.
    struct Case {
        int width, height;
        BmpOptions options;
    };
    std::vector<Case> cases;
    for (int width : {1, 2, 3, 4, 5, 32}) cases.push_back({width, 3, BmpOptions()});
    cases.push_back({3, 2, v5});
    for (int64_t sizeImage : {int64_t(0), int64_t(47), int64_t(7), int64_t(0xFFFFFFFF)}) {
        BmpOptions o;
        o.sizeImage = sizeImage;
        cases.push_back({5, 3, o});
    }
    cases.push_back({3, 4, topDown});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " info " << c.options.infoSize
                                        << " sizeImage " << c.options.sizeImage << " topDown " << c.options.topDown);
        // Stored row 0 of a top-down file is the top of the picture.
        const int h = c.height;
        const bool flip = c.options.topDown;
        BmpImage image;
        ASSERT_EQ(Decode(MakeBmp(c.width, h, [=](int x, int row) { return Pattern(x, flip ? h - 1 - row : row); },
                                 c.options),
                         &image),
                  BmpStatus::Ok);
        ExpectPattern(image, c.width, h);
    }
}

TEST(BmpDecoder, RefusesHostileFilesAndLeavesTheResultEmpty) {
    const auto good = MakeBmp(5, 3, Pattern);  // stride 16, pixels at 54..101
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        BmpStatus expected;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, BmpStatus expected, auto edit) {
        auto bytes = good;
        edit(bytes);
        cases.push_back({what, bytes, expected});
    };
    cases.push_back({"empty", {}, BmpStatus::NotBmp});
    with("BA signature", BmpStatus::NotBmp, [](auto& b) { b[1] = 'A'; });
    cases.push_back({"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 53),
                     BmpStatus::TruncatedHeader});
    cases.push_back({"last pixel byte missing", std::vector<uint8_t>(good.begin(), good.end() - 2),
                     BmpStatus::TruncatedPixels});
    with("width larger than the data", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 18, 6); });
    with("height larger than the data", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 22, 4); });
    with("8192 x 8192 in a tiny file", BmpStatus::TruncatedPixels, [](auto& b) {
        PutU32(b, 18, 8192);
        PutU32(b, 22, 8192);
    });
    with("pixel offset beyond the file", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 10, 1000); });
    with("pixel offset near 4 GiB", BmpStatus::TruncatedPixels, [](auto& b) { PutU32(b, 10, 0xFFFFFFF0u); });
    with("pixel offset inside the header", BmpStatus::BadOffset, [](auto& b) { PutU32(b, 10, 14); });
    with("zero width", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, 0); });
    with("zero height", BmpStatus::BadSize, [](auto& b) { PutU32(b, 22, 0); });
    with("negative width", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, uint32_t(-5)); });
    with("width 8193", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, 8193); });
    with("height INT_MIN", BmpStatus::BadSize, [](auto& b) { PutU32(b, 22, uint32_t(INT32_MIN)); });
    with("width INT_MAX", BmpStatus::BadSize, [](auto& b) { PutU32(b, 18, uint32_t(INT32_MAX)); });
    for (uint16_t bits : {1, 4, 8, 16, 32})
        with("other bit depth", BmpStatus::Unsupported, [bits](auto& b) { PutU16(b, 28, bits); });
    for (uint32_t compression : {1u, 2u, 3u, 4u, 5u, 6u})
        with("compressed", BmpStatus::Unsupported, [compression](auto& b) { PutU32(b, 30, compression); });
    with("12-byte core header", BmpStatus::Unsupported, [](auto& b) { PutU32(b, 14, 12); });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BmpImage image{9, 9, {1, 1, 1}};
        EXPECT_EQ(Decode(c.bytes, &image), c.expected);
        EXPECT_TRUE(image.width == 0 && image.height == 0 && image.pixels.empty());
    }

    // Only the fill bytes of the last row may be missing: no pixel is lost.
    BmpImage image;
    EXPECT_EQ(Decode(std::vector<uint8_t>(good.begin(), good.end() - 1), &image), BmpStatus::Ok);
    ExpectPattern(image, 5, 3);
}

class TextureLoad : public GameTest {
protected:
    void TearDown() override {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    ScratchDir dir;
};

TEST_F(TextureLoad, KeepsThePixelsAndUploadsThemMipmappedAndBound) {
    // 2 x 2 has 6-byte rows: uploaded with the default alignment of 4, the
    // second row would be read from the wrong place (and past the buffer).
    for (int side : {1, 2, 4, 32}) {
        SCOPED_TRACE(side);
        const std::string path = "data/s" + std::to_string(side) + ".bmp";
        WriteBytes(path, MakeBmp(side, side, Pattern));
        Texture t;
        ASSERT_TRUE(t.Load(path));
        EXPECT_TRUE(t.loaded);
        ASSERT_NE(t.pixels, nullptr);
        BmpImage image{t.width, t.height, std::vector<uint8_t>(t.pixels.get(), t.pixels.get() + side * side * 3)};
        ExpectPattern(image, side, side);
        GLint value = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
        EXPECT_EQ(GLuint(value), t.textureId) << "left bound";
        EXPECT_NE(t.textureId, 0u);
        std::vector<uint8_t> texels(size_t(side) * side * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        EXPECT_EQ(texels, image.pixels);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH, &value);
        EXPECT_EQ(value, side == 32 ? 1 : 0) << "mipmaps down to 1 x 1";
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
        EXPECT_EQ(value, 4) << "unpack alignment restored";
    }
}

TEST_F(TextureLoad, UnusableFilesFailQuietlyButForOneLineNamingFileAndReason) {
    WriteBytes("data/ba.bmp", [] {
        auto b = SolidBmp(4, 4, {1, 2, 3});
        b[1] = 'A';
        return b;
    }());
    auto cut = SolidBmp(4, 4, {1, 2, 3});
    cut.resize(cut.size() - 20);
    WriteBytes("data/cut.bmp", cut);
    BmpOptions eight;
    eight.bitCount = 8;
    WriteBytes("data/8bit.bmp", MakeBmp(4, 4, Pattern, eight));
    std::filesystem::create_directories("data/dir.bmp");
    ASSERT_EQ(mkfifo("data/fifo.bmp", 0644), 0);
    const FifoWriter writer("data/fifo.bmp");

    const struct {
        const char* path;
        const char* reason;
    } cases[] = {
        {"data/missing.bmp", "data/missing.bmp: cannot open (No such file or directory)"},
        {"data/ba.bmp", "data/ba.bmp: not a BMP file"},
        {"data/cut.bmp", "data/cut.bmp: truncated pixel data"},
        {"data/8bit.bmp", "data/8bit.bmp: not a 24-bit uncompressed BMP"},
        {"data/dir.bmp", "data/dir.bmp: not a regular file (directory)"},
        {"data/fifo.bmp", "data/fifo.bmp: not a regular file (named pipe)"},
        {"/dev/zero", "/dev/zero: not a regular file (character device)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        GLuint bound = 0;
        glGenTextures(1, &bound);
        glBindTexture(GL_TEXTURE_2D, bound);
        Texture t;
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(t.Load(c.path));
        EXPECT_FALSE(t.Load(c.path)) << "a second try";
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, std::string("orvanthe: ") + c.reason + "\n") << "one line, once";
        EXPECT_TRUE(t.pixels == nullptr && !t.loaded && t.textureId == 0u);
        GLint now = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &now);
        EXPECT_EQ(GLuint(now), bound) << "GL untouched";
    }
}

TEST_F(TextureLoad, ReleaseFreesPixelsKeepsTheNameAndCanRepeat) {
    WriteBytes("data/a.bmp", SolidBmp(4, 4, {9, 9, 9}));
    WriteBytes("data/b.bmp", SolidBmp(8, 2, {7, 7, 7}));
    Texture t;
    ASSERT_TRUE(t.Load("data/a.bmp"));
    const uint32_t name = t.textureId;
    for (int i = 0; i < 2; ++i) {
        t.Release();
        EXPECT_TRUE(t.pixels == nullptr && !t.loaded);
        EXPECT_EQ(t.textureId, name);
        EXPECT_TRUE(glIsTexture(name));
    }

    // Loading over a held image replaces it.
    ASSERT_TRUE(t.Load("data/a.bmp"));
    ASSERT_TRUE(t.Load("data/b.bmp"));
    EXPECT_EQ(t.width, 8);
    EXPECT_EQ(t.height, 2);
    EXPECT_EQ(t.pixels[0], 7);
}
