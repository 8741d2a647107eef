// The screen overlay: cut to rectangles it leaves exactly the pixels of the two whole-window passes (the mask
// multiplying the frame, the picture adding to it) at any size; missing images draw nothing; play draws it.
#include <GL/gl.h>
#include <gtest/gtest.h>

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

// The whole-window passes the overlay was drawn with before it was cut to rectangles.
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

using Overlay = DrawingTest;

}  // namespace

TEST_F(Overlay, CutToRectanglesItLeavesTheWholeWindowPassesPixelsUprightOverAnyViewport) {
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
    // 4:3, the wide aspects, a tall one, and sizes that shrink the images.
    for (const auto& [w, h] : {std::pair{800, 600}, {1280, 720}, {1000, 300}, {600, 800}, {200, 150}, {1366, 768}}) {
        Reshape(w, h);
        for (int row = 0; row < 3; ++row) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " row " + std::to_string(row));
            const auto want = DrawnBy([&] { DrawScene(), DrawWholeWindowPasses(overlays[row]); }, w, h);
            EXPECT_TRUE(DrawnBy([&] { DrawScene(), overlays[row].Draw(); }, w, h) == want);
            // The point of the cut: the game's passes fill about a tenth of the window, nothing where nothing changes.
            long area = 0;
            for (const OverlayRect& r : overlays[row].Rects(w, h)) area += long(r.width) * r.height;
            EXPECT_TRUE(row != 0 || area < long(w) * h / 5) << area;
            EXPECT_TRUE(row != 2 || area == 0) << area;
            // Samples either side of the middle: a picture not spanning exactly the viewport moves the seam.
            for (double fy : {0.05, 0.45, 0.55, 0.95})
                for (double fx : {0.05, 0.45, 0.55, 0.95})
                    EXPECT_TRUE(row != 1 || Near(ReadAt(w, h, fx, fy),
                                                 fy < 0.5 ? (fx < 0.5 ? kRed : kGreen) : (fx < 0.5 ? kBlue : kWhite)))
                        << fx << ", " << fy;
        }
    }
    const SavedState saved = UpsetState();
    overlays[0].Draw();
    ExpectRestoredState(saved, {1, 1, 1, 1});
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
