// The sky drawn once and copied after: on the identity modelview it is the
// same image every frame while the state it is drawn under holds, and in
// software GL a copy costs a fraction of the textured box.
#pragma once

#include <GL/gl.h>

struct SkyBoxShape {
    float x, y, z, width, height, length;
};

class SkyCache {
public:
    // Clears colour and depth and draws the sky box as DrawSkyBox does,
    // leaving the same pixels, depth and state; from the copy when the state
    // it was taken under still holds. Call with the modelview at identity.
    void ClearAndDraw(const SkyBoxShape& box);
    // Frees the GL objects; the context must be current.
    void Release();
    // Whether the last sky was put back from the copy.
    bool FromCopy() const { return fromCopy_; }

private:
    // What the sky's pixels and depth follow from, as the game can change it,
    // read back from GL.
    struct Key {
        SkyBoxShape box;
        GLint drawable[2], framebuffers[2], viewport[4], matrixMode, drawBuffer, depthFunc, texEnv, sky;
        GLfloat projection[16], colour[4], clearColour[4];
        GLdouble clearDepth;
        GLboolean enables[12], colourMask[4], depthMask;
    };
    // Zeroed first, so two keys compare whole, padding included.
    static void Read(const SkyBoxShape& box, Key* key);
    bool Keep();
    void PutBack() const;

    Key key_{};
    Key last_{};          // the state of the frame before
    bool tried_ = false;  // key_ was drawn and a copy attempted
    bool kept_ = false;   // and the copy holds its colour and depth
    bool fromCopy_ = false;
    bool depthByClear_ = false;  // its depth is one value a clear stores
    GLdouble depth_ = 1.0;
    int width_ = 0, height_ = 0;
    GLuint framebuffer_ = 0, colour_ = 0;
};
