// orvanthe-modelshot MD2 SKIN OUTDIR [--frames 1,4,40] [--yaw DEG] [--size PX] [--dist D] [--cull]
//
// Development aid: renders keyframes of an MD2 model with its BMP skin,
// offscreen, and writes OUTDIR/frame-NN.png. The files are loaded and the
// keyframes drawn by the game's own Monster code, in the scripted backend's
// OSMesa window, so a shot shows what the game draws; around the model a
// grid on the ground plane, where the game stands a monster's feet. --cull
// hides faces that turn away from the camera, which shows any triangle
// stored inside out.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/maths.h"
#include "common/png.h"
#include "monsters/monster.h"
#include "platform/window.h"

namespace {

void DrawGround() {
    const float y = -kMonsterLift;
    glDisable(GL_TEXTURE_2D);
    glColor3ub(120, 124, 118);
    glBegin(GL_QUADS);
    glVertex3f(-60, y - 0.05f, -60);
    glVertex3f(-60, y - 0.05f, 60);
    glVertex3f(60, y - 0.05f, 60);
    glVertex3f(60, y - 0.05f, -60);
    glEnd();
    glColor3ub(88, 92, 86);
    glBegin(GL_LINES);
    for (int i = -60; i <= 60; i += 10) {
        glVertex3f(float(i), y + 0.05f, -60);
        glVertex3f(float(i), y + 0.05f, 60);
        glVertex3f(-60, y + 0.05f, float(i));
        glVertex3f(60, y + 0.05f, float(i));
    }
    glEnd();
}

// The drawn picture, top row first.
std::vector<uint8_t> ReadPicture(int size) {
    std::vector<uint8_t> bottomUp(size_t(size) * size_t(size) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t row = size_t(size) * 3;
    std::vector<uint8_t> topDown(bottomUp.size());
    for (size_t y = 0; y < size_t(size); ++y)
        std::copy_n(&bottomUp[(size_t(size) - 1 - y) * row], row, &topDown[y * row]);
    return topDown;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: orvanthe-modelshot MD2 SKIN OUTDIR [--frames 1,4,40] [--yaw DEG] [--size PX] [--dist D] "
                     "[--cull]\n");
        return 2;
    }
    std::vector<int> frames = {1, 4, 40, 42, 44};
    double yaw = 35;
    int size = 512;
    double dist = 125;
    bool cull = false;
    for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc) {
            frames.clear();
            for (char* p = argv[++i]; *p;) {
                frames.push_back(int(std::strtol(p, &p, 10)));
                if (*p == ',')
                    ++p;
                else if (*p)
                    break;
            }
        } else if (a == "--yaw" && i + 1 < argc) {
            yaw = std::atof(argv[++i]);
        } else if (a == "--size" && i + 1 < argc) {
            size = std::atoi(argv[++i]);
        } else if (a == "--dist" && i + 1 < argc) {
            dist = std::atof(argv[++i]);
        } else if (a == "--cull") {
            cull = true;
        } else {
            std::fprintf(stderr, "orvanthe-modelshot: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    if (size <= 0) {
        std::fprintf(stderr, "orvanthe-modelshot: --size must be positive\n");
        return 2;
    }
    std::string error;
    if (!platform::CreateMainWindow("orvanthe-modelshot", size, size, &error)) {
        std::fprintf(stderr, "orvanthe-modelshot: %s\n", error.c_str());
        return 1;
    }
    // The monster reports an unusable file itself.
    Monster monster;
    if (!monster.LoadModel(argv[1], argv[2])) {
        platform::DestroyMainWindow();
        return 1;
    }
    glEnable(GL_DEPTH_TEST);
    if (cull) {
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
    }

    int written = 0;
    for (int frame : frames) {
        if (frame < 0 || frame >= monster.header.num_frames) {
            std::fprintf(stderr, "orvanthe-modelshot: no keyframe %d\n", frame);
            continue;
        }
        glViewport(0, 0, size, size);
        glClearColor(0.55f, 0.6f, 0.68f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(32, 1, 5, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        const double rad = Radians(yaw), pitch = Radians(14), lookY = dist < 80 ? 18 : 2;
        gluLookAt(dist * std::cos(rad) * std::cos(pitch), lookY + dist * std::sin(pitch),
                  dist * std::sin(rad) * std::cos(pitch), 0, lookY, 0, 0, 1, 0);
        glDisable(GL_CULL_FACE);
        DrawGround();
        if (cull) glEnable(GL_CULL_FACE);
        monster.DrawKeyframe(frame);
        glFinish();
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%02d.png", frame);
        if (!WriteFile(argv[3] + std::string(name), EncodePng(size, size, 3, ReadPicture(size)))) {
            platform::DestroyMainWindow();
            return 1;
        }
        ++written;
    }
    platform::DestroyMainWindow();
    return written == int(frames.size()) ? 0 : 1;
}
