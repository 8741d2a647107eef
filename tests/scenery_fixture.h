// Helpers for the scenery tests: BMP files built field by field by the
// tools' writer (so hostile headers can be written on purpose) and reading
// back what GL drew.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/bmp.h"
#include "common/bytes.h"
#include "game_fixture.h"

struct Rgb {
    uint8_t r, g, b;
};

// 24 bits, bottom-up; pixel(x, row) gives stored row `row`. Rows are filled
// with 0xEE so leaking fill shows. Only the header fields of `b` are used.
inline std::vector<uint8_t> MakeBmp(int width, int height, const std::function<Rgb(int, int)>& pixel,
                                    RawBmp b = RawBmp()) {
    b.width = width;
    b.height = height;
    b.bitCount = 24;
    b.rows = Bmp24Rows(width, height, pixel, 0xEE);
    return BuildBmp(b);
}

inline std::vector<uint8_t> SolidBmp(int width, int height, Rgb colour) {
    return MakeBmp(width, height, [colour](int, int) { return colour; });
}

inline std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

struct Pixel {
    int r, g, b;
};

inline Pixel ReadPixel(int x, int y) {
    uint8_t p[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

inline bool Near(Pixel p, Rgb c, int tolerance = 3) {
    return std::abs(p.r - c.r) <= tolerance && std::abs(p.g - c.g) <= tolerance && std::abs(p.b - c.b) <= tolerance;
}

// A matrix, or any other float state (padded with zeros to 16).
inline std::vector<float> Matrix(GLenum which) {
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}
inline GLint GlInt(GLenum which) {
    GLint v = 0;
    glGetIntegerv(which, &v);
    return v;
}

const std::vector<float> kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The game's font lives in texture name 0: an image of `c` there shows wherever a pass samples it.
inline void FontInTextureZero(Rgb c) {
    const std::vector<Rgb> texels(16, c);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
}

// Puts back what a drawing test may leave in the one GL context the tests share.
inline void ResetDrawing() {
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);
    glLoadIdentity();
}

// A game fixture in a scratch directory that puts the drawing state back.
class DrawingTest : public GameTest {
protected:
    void TearDown() override {
        GameTest::TearDown();
        ResetDrawing();
    }
    ScratchDir dir_;
};

// A drawable of the given size with the game's projection for it.
inline void Reshape(int width, int height) {
    script::ResizeWindow(width, height);
    SetProjection(width, height);
}

// What `action` writes to stderr.
template <class F>
std::string Stderr(F action) {
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
}

// Sets the opposite of what the 2D passes (title, overlay) must leave, to tell whether each was put back.
struct SavedState {
    std::vector<float> projection;
    GLint stackDepth = 0;
};
inline SavedState UpsetState() {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glMatrixMode(GL_PROJECTION);
    glTranslatef(1, 2, 3);
    const SavedState s{Matrix(GL_PROJECTION_MATRIX), GlInt(GL_PROJECTION_STACK_DEPTH)};
    glMatrixMode(GL_MODELVIEW);
    glRotatef(30, 0, 1, 0);
    return s;
}
// Depth test on, blending and texturing off, the colour given, projection as saved, modelview current at identity.
inline void ExpectRestoredState(const SavedState& s, std::vector<float> colour) {
    colour.resize(16);
    EXPECT_EQ(Matrix(GL_CURRENT_COLOR), colour);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND) && !glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(GlInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(GlInt(GL_PROJECTION_STACK_DEPTH), s.stackDepth);
    EXPECT_EQ(Matrix(GL_PROJECTION_MATRIX), s.projection);
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), kIdentity);
}

inline std::vector<uint8_t> ReadFrame(int width = 800, int height = 600) {
    std::vector<uint8_t> frame(size_t(width) * size_t(height) * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

// What `draw` leaves on a cleared view at identity: every byte of the frame, and the current colour.
template <class F>
std::pair<std::vector<uint8_t>, std::vector<float>> DrawnBy(F draw, int width = 800, int height = 600) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    draw();
    return {ReadFrame(width, height), Matrix(GL_CURRENT_COLOR)};
}

// Window position of a world point under the current matrices.
inline std::pair<int, int> Project(float x, float y, float z) {
    GLdouble mv[16], pr[16], ox, oy, oz;
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    gluProject(x, y, z, mv, pr, vp, &ox, &oy, &oz);
    return {int(ox), int(oy)};
}
inline Pixel ProjectedPixel(float x, float y, float z) {
    const auto [wx, wy] = Project(x, y, z);
    return ReadPixel(wx, wy);
}
