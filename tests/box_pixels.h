// The window read back whole, and the letters drawn in a box's rectangle:
// what the dialog and options tests check their text by.
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "platform/window.h"
#include "text/dialog_draw.h"

struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    // Top-down rows, as the layouts count them.
    const unsigned char* At(int x, int y) const {
        return &rgba[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4];
    }
    // Bright, near-white pixels (letters) inside r.
    int Letters(const DialogRect& r) const {
        int n = 0;
        for (int y = int(r.y); y < int(r.y + r.height); ++y)
            for (int x = int(r.x); x < int(r.x + r.width); ++x) n += *std::min_element(At(x, y), At(x, y) + 3) > 200;
        return n;
    }
};

inline Pixels ReadWindow() {
    Pixels p;
    platform::GetDrawableSize(&p.width, &p.height);
    p.rgba.resize(size_t(p.width) * size_t(p.height) * 4);
    glReadPixels(0, 0, p.width, p.height, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    return p;
}
