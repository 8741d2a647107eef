// The one owner of the game's GL state: what is fixed for a context, the
// default texture, texture parameters and the 2D pass. Every other file
// draws through these and leaves the state as listed here.
//
// The frame's GL state, in the order a frame draws:
//  fixed       clear colour blue; smooth shading; depth test on; nicest
//              perspective; colour material on; the white default texture
//              made; the projection set by the window's size.
//  sky         identity modelview; texturing on with the sky (or the white
//              default) bound; drawn in its tint, which stays the current
//              colour: the title's red on a title frame after another, else
//              white.
//  title       (title frames) a 2D pass; the font's lines in white; leaves
//              texturing and blending off, depth test on, and the colour red,
//              the next title frame's sky tint.
//  play        (play frames) the view on the modelview; explosions leave
//              blending and texturing off; bullets leave lighting off;
//              monsters and the terrain leave texturing off.
//  overlay     (play frames) a 2D pass in white, scissored to where it
//              shows; leaves texturing, blending and the scissor test off,
//              depth test on, the colour white, the modelview at identity.
//  hud         (play frames, unless hidden) a 2D pass of its own, blending
//              alpha over; leaves what the overlay leaves.
#pragma once

#include <GL/gl.h>

// Once after each context is made, before anything is drawn.
void SetFixedGlState();

// A 1x1 white texture: bound where an image is missing it draws the
// current colour, and name 0, which holds the font, stays untouched.
GLuint WhiteTexture();

// Parameters of the bound 2D texture, both axes at once.
void SetTextureFilter(GLint filter);
void SetTextureWrap(GLint wrap);

// Our pixel rows are unpadded; GL's default unpack alignment of 4 would
// read past the end of a buffer whose row length is not a multiple of 4.
// Holds the alignment at 1 for an upload and restores it afterwards.
class UnpaddedRows {
public:
    UnpaddedRows();
    ~UnpaddedRows();
    UnpaddedRows(const UnpaddedRows&) = delete;
    UnpaddedRows& operator=(const UnpaddedRows&) = delete;

private:
    GLint saved_ = 4;
};

// The 2D passes (title, overlay): an orthographic projection pushed over
// the 3D one, the modelview at identity, depth test off, texturing and
// blending on. Leaves blending and texturing off, depth test on and the
// 3D projection back.
class Screen2D {
public:
    Screen2D(double left, double right, double bottom, double top, double zNear, double zFar);
    ~Screen2D();
    Screen2D(const Screen2D&) = delete;
    Screen2D& operator=(const Screen2D&) = delete;
};
