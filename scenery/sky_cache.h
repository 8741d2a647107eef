// The sky drawn once and copied after: on the identity modelview it is the
// same image every frame while what it is drawn from holds, and in software
// GL a copy costs a fraction of the textured box.
#pragma once

#include <GL/gl.h>

struct SkyBoxShape {
    float x, y, z, width, height, length;
};

// The colour that modulates the sky's image.
struct SkyTint {
    float r, g, b, a;
};

// Everything the sky's pixels and depth follow from, all of it values the
// game keeps: nothing is read back from GL to tell whether the copy holds.
// The rest of GL's state at the sky is the frame's fixed order (see
// gl/gl_state.h), which every pass leaves as it found it.
struct SkyScene {
    SkyBoxShape box;
    SkyTint tint;
    float projection[16];  // as loaded on GL's projection stack
    int viewportWidth, viewportHeight;
};

class SkyCache {
public:
    // Clears colour and depth and draws the sky box as DrawSkyBox does in
    // the scene's tint, leaving the same pixels, depth and state; from the
    // copy when the same scene was copied. Call with the modelview at
    // identity.
    void ClearAndDraw(const SkyScene& scene);
    // Frees the GL objects; the context must be current.
    void Release();
    // Whether the last sky was put back from the copy.
    bool FromCopy() const { return fromCopy_; }

private:
    // The scene with what else it is drawn into: the drawable's size and
    // the sky's texture. Zeroed first, so two keys compare whole, padding
    // included.
    struct Key {
        SkyScene scene;
        int drawable[2];
        GLuint sky;
    };
    static void Make(const SkyScene& scene, Key* key);
    bool Keep();
    void PutBack() const;

    Key key_{};
    Key last_{};          // the scene of the frame before
    bool tried_ = false;  // key_ was drawn and a copy attempted
    bool kept_ = false;   // and the copy holds its colour and depth
    bool fromCopy_ = false;
    bool depthByClear_ = false;  // its depth is one value a clear stores
    GLdouble depth_ = 1.0;
    int width_ = 0, height_ = 0;
    GLuint framebuffer_ = 0, colour_ = 0;
};
