// The screen overlay: its pieces keep their shape at any aspect; cut to rectangles they leave exactly the pixels of
// each piece's two passes (the mask multiplying the frame, the picture adding to it), at 4:3 the whole-window passes;
// missing images draw nothing; play draws it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "scenery/overlay.h"
#include "scenery/skybox.h"
#include "scenery_fixture.h"

namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0};

// 16 x 16 in four quadrants. Stored rows go bottom-up, so rows 8..15 are the top of the image.
std::vector<uint8_t> QuadrantBmp(Rgb topLeft, Rgb topRight, Rgb bottomLeft, Rgb bottomRight) {
    return MakeBmp(16, 16, [=](int x, int row) {
        if (row >= 8) return x < 8 ? topLeft : topRight;
        return x < 8 ? bottomLeft : bottomRight;
    });
}

// fx, fy: fractions of the viewport from its left and top edges.
Pixel ReadAt(int width, int height, double fx, double fy) {
    return ReadPixel(int(fx * width), height - 1 - int(fy * height));
}

// A coloured scene with depth: something for the overlay to keep or remove.
void DrawScene() {
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_TRIANGLES);
    glColor3f(1, 0.5f, 0);
    glVertex3f(-50, -40, -100);
    glColor3f(0, 1, 0.5f);
    glVertex3f(50, -40, -100);
    glColor3f(0.5f, 0, 1);
    glVertex3f(0, 40, -100);
    glEnd();
}

// The passes as drawn before the overlay was cut: the whole image's quad over the whole window.
void DrawWholeWindowPasses(const ScreenOverlay& overlay) {
    glColor4f(1, 1, 1, 1);
    const Screen2D pass(0.0, 950.0, 600.0, 0.0, 0.0, 1.0);
    for (const Texture* t : {&overlay.mask, &overlay.image}) {
        glBlendFunc(t == &overlay.mask ? GL_DST_COLOR : GL_ONE, t == &overlay.mask ? GL_ZERO : GL_ONE);
        glBindTexture(GL_TEXTURE_2D, t->textureId);
        glBegin(GL_QUADS);
        for (const auto& [u, v] : {std::pair{0, 1}, {0, 0}, {1, 0}, {1, 1}}) {
            glTexCoord2f(u, v);
            glVertex2f(950.0f * u, 600.0f * (1 - v));
        }
        glEnd();
    }
}

// Each piece's passes over all of its own pixels, not cut to rectangles.
void DrawWholePieces(ScreenOverlay& overlay, int width, int height) {
    glColor4f(1, 1, 1, 1);
    const Screen2D pass(0.0, 950.0, 600.0, 0.0, 0.0, 1.0);
    glEnable(GL_SCISSOR_TEST);
    for (const Texture* t : {&overlay.mask, &overlay.image}) {
        glBlendFunc(t == &overlay.mask ? GL_DST_COLOR : GL_ONE, t == &overlay.mask ? GL_ZERO : GL_ONE);
        glBindTexture(GL_TEXTURE_2D, t->textureId);
        for (const OverlayPiece& p : overlay.Pieces(width, height)) {
            glScissor(p.window.x, p.window.y, p.window.width, p.window.height);
            glBegin(GL_QUADS);
            for (const auto& [u, v] : {std::pair{0, 1}, {0, 0}, {1, 0}, {1, 1}}) {
                glTexCoord2f(u, v);
                glVertex2f(u ? p.right : p.left, v ? p.top : p.bottom);
            }
            glEnd();
        }
    }
    glDisable(GL_SCISSOR_TEST);
}

bool Overlap(const OverlayRect& a, const OverlayRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// The bounding box of the pixels that differ from the scene, in GL's pixels from the bottom-left corner.
struct Bounds {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return top - bottom + 1; }
    double Aspect() const { return double(Width()) / Height(); }
};
constexpr Rgb kScene{51, 102, 153};
constexpr int kChanged = 24;  // a channel off the scene by more than this is drawn by the overlay

// The overlay's pixels in the zone [x0, x1) x [y0, y1) of a frame `width` wide.
Bounds Drawn(const std::vector<uint8_t>& frame, int width, double x0, double y0, double x1, double y1) {
    Bounds b;
    for (int y = std::max(0, int(std::ceil(y0))); y < int(std::ceil(y1)); ++y)
        for (int x = std::max(0, int(std::ceil(x0))); x < std::min(width, int(std::ceil(x1))); ++x) {
            const uint8_t* p = &frame[(size_t(y) * size_t(width) + size_t(x)) * 4];
            if (std::abs(p[0] - kScene.r) > kChanged || std::abs(p[1] - kScene.g) > kChanged ||
                std::abs(p[2] - kScene.b) > kChanged) {
                b = {std::min(b.left, x), std::min(b.bottom, y), std::max(b.right, x), std::max(b.top, y)};
            }
        }
    return b;
}

// What the game's overlay draws over a plain scene at a size: the weapon (right of and below the sight), the sight
// (in the middle) and three corner marks (the fourth lies over the weapon), found in zones sized by the 4:3 box.
struct Layout {
    int width, height;
    Bounds weapon, sight, topLeft, topRight, bottomLeft;
};
Layout DrawnLayout(ScreenOverlay& overlay, int width, int height) {
    Reshape(width, height);
    glClearColor(kScene.r / 255.0f, kScene.g / 255.0f, kScene.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    overlay.Draw();
    const std::vector<uint8_t> f = ReadFrame(width, height);
    const double s = std::min(width / 800.0, height / 600.0), w = width, h = height;  // box pixels per 4:3 unit
    return {width,
            height,
            Drawn(f, width, w / 2 + 40 * s, 0, w, h / 2 - 40 * s),
            Drawn(f, width, w / 2 - 40 * s, h / 2 - 40 * s, w / 2 + 40 * s, h / 2 + 40 * s),
            Drawn(f, width, 0, h - 100 * s, 120 * s, h),
            Drawn(f, width, w - 120 * s, h - 100 * s, w, h),
            Drawn(f, width, 0, 0, 120 * s, 100 * s)};
}

using Overlay = DrawingTest;

}  // namespace

TEST_F(Overlay, CutToRectanglesItLeavesThePiecesPixelsUprightOverAnyViewport) {
    // The game's images; a picture in quadrants everywhere (black mask); a black picture and white mask.
    ScreenOverlay overlays[3];
    for (const char* name : {"va.bmp", "vb.bmp"})
        std::filesystem::copy_file(std::string(ORVANTHE_DATA_DIR) + "/" + name, std::string("data/") + name);
    overlays[0].Load();
    WriteBytes("data/va.bmp", QuadrantBmp(kRed, kGreen, kBlue, kWhite));
    WriteBytes("data/vb.bmp", SolidBmp(16, 16, kBlack));
    overlays[1].Load();
    WriteBytes("data/va.bmp", SolidBmp(16, 16, kBlack));
    WriteBytes("data/vb.bmp", SolidBmp(16, 16, kWhite));
    overlays[2].Load();
    for (const ScreenOverlay& o : overlays) ASSERT_TRUE(o.image.loaded && o.mask.loaded);
    // 4:3, the wide aspects, tall ones, and sizes that shrink the images.
    for (const auto& [w, h] : {std::pair{800, 600},
                               {1280, 720},
                               {1000, 300},
                               {600, 800},
                               {200, 150},
                               {1366, 768},
                               {1600, 450},
                               {1280, 1024}}) {
        Reshape(w, h);
        for (int row = 0; row < 3; ++row) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " row " + std::to_string(row));
            ScreenOverlay& overlay = overlays[row];
            const auto drawn = DrawnBy([&] { DrawScene(), overlay.Draw(); }, w, h);
            EXPECT_TRUE(drawn == DrawnBy([&] { DrawScene(), DrawWholePieces(overlay, w, h); }, w, h));
            // At 4:3 the one piece is the whole window, drawn as it always was.
            if (w * 3 == h * 4) {
                EXPECT_TRUE(drawn == DrawnBy([&] { DrawScene(), DrawWholeWindowPasses(overlay); }, w, h));
            }
            // No pixel is drawn twice, none outside its piece.
            const std::vector<OverlayRect>& rects = overlay.Rects(w, h);
            long area = 0;
            for (size_t i = 0; i < rects.size(); ++i) {
                area += long(rects[i].width) * rects[i].height;
                const OverlayRect& piece = overlay.Pieces(w, h)[size_t(rects[i].piece)].window;
                EXPECT_TRUE(rects[i].x >= piece.x && rects[i].y >= piece.y &&
                            rects[i].x + rects[i].width <= piece.x + piece.width &&
                            rects[i].y + rects[i].height <= piece.y + piece.height);
                for (size_t j = 0; j < i; ++j) EXPECT_FALSE(Overlap(rects[i], rects[j])) << i << ", " << j;
            }
            // The point of the cut: the game's passes fill about a tenth of the window, nothing where nothing changes.
            EXPECT_TRUE(row != 0 || area < long(w) * h / 5) << area;
            EXPECT_TRUE(row != 2 || area == 0) << area;
            if (row != 1) continue;
            // Nothing in the quadrants can be cut: one 4:3 box in the middle of the window, upright. Samples
            // either side of its middle: a box anywhere else moves the seam.
            const double boxWidth = std::min(double(w), h * 4.0 / 3.0), boxHeight = boxWidth * 3.0 / 4.0;
            const double boxLeft = (w - boxWidth) / 2, boxTop = (h - boxHeight) / 2;
            for (double fy : {0.05, 0.45, 0.55, 0.95})
                for (double fx : {0.05, 0.45, 0.55, 0.95}) {
                    const Pixel p = ReadPixel(int(boxLeft + fx * boxWidth), h - 1 - int(boxTop + fy * boxHeight));
                    EXPECT_TRUE(Near(p, fy < 0.5 ? (fx < 0.5 ? kRed : kGreen) : (fx < 0.5 ? kBlue : kWhite)))
                        << fx << ", " << fy;
                }
            if (boxLeft >= 2 || boxTop >= 2) {
                EXPECT_TRUE(Near(ReadPixel(0, h - 1), Rgb{51, 102, 153})) << "the scene beside the box";
            }
        }
    }
    const SavedState saved = UpsetState();
    overlays[0].Draw();
    ExpectRestoredState(saved, {1, 1, 1, 1});
}

// Wider and narrower than 4:3 the pieces are drawn as a 4:3 window as tall (as wide) shows them, each held to its edge:
// the weapon keeps its shape in the bottom right corner, the sight its shape in the middle, the marks their corners.
TEST_F(Overlay, AtAnyAspectTheWeaponAndSightKeepTheirShapeAndTheMarksTheirCorners) {
    for (const char* name : {"va.bmp", "vb.bmp"})
        std::filesystem::copy_file(std::string(ORVANTHE_DATA_DIR) + "/" + name, std::string("data/") + name);
    ScreenOverlay overlay;
    overlay.Load();
    ASSERT_TRUE(overlay.image.loaded && overlay.mask.loaded);
    constexpr double kShapeTolerance = 0.02;
    // 16:9, 21:9, 32:9, 5:4 and a portrait screen, each beside the 4:3 window of its box.
    const std::pair<std::pair<int, int>, std::pair<int, int>> sizes[] = {
        {{1920, 1080}, {1440, 1080}}, {{2560, 1080}, {1440, 1080}}, {{3840, 1080}, {1440, 1080}},
        {{1280, 1024}, {1280, 960}},  {{1080, 1920}, {1080, 810}},
    };
    for (const auto& [size, box] : sizes) {
        SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
        const Layout want = DrawnLayout(overlay, box.first, box.second);
        const Layout got = DrawnLayout(overlay, size.first, size.second);
        const int w = got.width, h = got.height;
        ASSERT_GT(want.weapon.Width(), 100);
        ASSERT_GT(want.sight.Width(), 20);

        EXPECT_NEAR(got.weapon.Aspect(), want.weapon.Aspect(), kShapeTolerance * want.weapon.Aspect());
        EXPECT_NEAR(got.weapon.Height(), want.weapon.Height(), kShapeTolerance * want.weapon.Height());
        EXPECT_EQ(got.weapon.right, w - 1) << "the weapon reaches the right edge";
        EXPECT_EQ(got.weapon.bottom, 0) << "and the bottom";

        EXPECT_NEAR(got.sight.Aspect(), want.sight.Aspect(), kShapeTolerance * want.sight.Aspect());
        EXPECT_NEAR(got.sight.Height(), want.sight.Height(), kShapeTolerance * want.sight.Height());
        EXPECT_NEAR((got.sight.left + got.sight.right + 1) / 2.0, w / 2.0, 1.0) << "the sight in the middle";
        EXPECT_NEAR((got.sight.bottom + got.sight.top + 1) / 2.0, h / 2.0, 1.0);

        // Each mark as far from its corner as at 4:3, to the pixel.
        const int ww = want.width, wh = want.height;
        EXPECT_NEAR(got.topLeft.left, want.topLeft.left, 1);
        EXPECT_NEAR(h - got.topLeft.top, wh - want.topLeft.top, 1);
        EXPECT_NEAR(w - got.topRight.right, ww - want.topRight.right, 1);
        EXPECT_NEAR(h - got.topRight.top, wh - want.topRight.top, 1);
        EXPECT_NEAR(got.bottomLeft.left, want.bottomLeft.left, 1);
        EXPECT_NEAR(got.bottomLeft.bottom, want.bottomLeft.bottom, 1);
        for (const Bounds* mark : {&got.topLeft, &got.topRight, &got.bottomLeft})
            EXPECT_NEAR(mark->Aspect(), want.topLeft.Aspect(), kShapeTolerance * want.topLeft.Aspect());
    }
}

TEST_F(Overlay, MissingImagesDrawNothingThoughTheFontHoldsTextureZero) {
    FontInTextureZero(kWhite);  // binding an empty Texture would spread it over the whole view

    for (bool withMask : {false, true}) {
        SCOPED_TRACE(withMask ? "mask only" : "neither image");
        if (withMask) WriteBytes("data/vb.bmp", SolidBmp(16, 16, kBlack));
        ForgetReportedAssetProblems();
        ScreenOverlay overlay;
        const std::string err = Stderr([&] { overlay.Load(); });
        EXPECT_EQ(overlay.mask.loaded, withMask);
        // A lone good half is named too, as unused.
        EXPECT_EQ(err, withMask ? "orvanthe: data/va.bmp: cannot open (No such file or directory)\n"
                                  "orvanthe: data/vb.bmp: not used: data/va.bmp failed\n"
                                : "orvanthe: data/va.bmp: cannot open (No such file or directory)\n"
                                  "orvanthe: data/vb.bmp: cannot open (No such file or directory)\n");
        DrawScene();
        const std::vector<uint8_t> before = ReadFrame();
        const SavedState saved = UpsetState();
        overlay.Draw();
        EXPECT_TRUE(ReadFrame() == before);
        ExpectRestoredState(saved, {1, 1, 1, 1});
    }
}

TEST_F(Overlay, StartupLoadsItAndPlayFramesDrawIt) {
    // Picture on the left half only, scene through on the right.
    WriteBytes("data/va.bmp", QuadrantBmp(kRed, kBlack, kRed, kBlack));
    WriteBytes("data/vb.bmp", QuadrantBmp(kBlack, kWhite, kBlack, kWhite));
    WriteBytes("data/sky.bmp", SolidBmp(16, 16, kBlue));
    InitGame();
    ASSERT_TRUE(g_skyTexture.loaded || g_skyTexture.Load("data/sky.bmp"));
    StartPlay();
    RunFrame();
    EXPECT_TRUE(Near(ReadAt(800, 600, 0.25, 0.2), kRed));
    const Pixel right = ReadAt(800, 600, 0.75, 0.2);  // above the horizon
    EXPECT_EQ(right.r, 0) << "the sky shows through where the mask is white";
    EXPECT_GT(right.b, 100);
    ShutdownGame();
}
