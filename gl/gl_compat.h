// What the browser's GL lacks, in one place. The browser build runs on
// WebGL through emscripten's emulation of GL 1, which has no GL_CLAMP, no
// quad strips, no internal format 2, no texture name 0, no GLU mipmaps, no multi-draw of its own,
// ignores colour material and cannot read depth back. The desktop keeps
// its own calls, so its pixels stay as they are; the browser gets the
// nearest it has. ORVANTHE_WEBGL is defined by the browser build only.
#pragma once

#include <GL/gl.h>

#include <string>

#ifdef ORVANTHE_WEBGL
// Edge texels instead of GL_CLAMP's blend with the black border: the
// outermost half texel of an image differs.
constexpr GLint kClampWrap = GL_CLAMP_TO_EDGE;
// The same vertices drawn as triangles: the same band, split the same way.
constexpr GLenum kQuadStrip = GL_TRIANGLE_STRIP;
constexpr GLint kLuminanceAlphaFormat = GL_LUMINANCE_ALPHA;
// The sky's copy checks its depth by reading it back.
constexpr bool kCanCopySky = false;
// The page's canvas has no alpha, and a copy may not add one.
constexpr GLenum kFrameCopyFormat = GL_RGB;
// Smooth shading, perspective-correct texturing and a modulating texture
// environment are all WebGL does; asking for them is an error there.
constexpr bool kAsksForFixedModes = false;
#else
constexpr GLint kClampWrap = GL_CLAMP;
constexpr GLenum kQuadStrip = GL_QUAD_STRIP;
constexpr GLint kLuminanceAlphaFormat = 2;
constexpr bool kCanCopySky = true;
constexpr GLenum kFrameCopyFormat = GL_RGBA;
constexpr bool kAsksForFixedModes = true;
#endif

// The font's texture name: 0, GL's default texture, where GL has one to
// fill; a name of its own in the browser. Call with the context current.
GLuint FontTextureName();

// Uploads an RGB image with unpadded rows into the bound texture, with
// mipmaps where GL makes them. False with the reason on failure.
bool UploadRgbTexture(int width, int height, const void* pixels, std::string* reason);

// glMultiDrawArrays, or one glDrawArrays per run where the emulation would
// hand the call to WebGL past itself.
void MultiDrawArrays(GLenum mode, const GLint* firsts, const GLsizei* counts, GLsizei runs);

// The lit colour of what follows, for a GL that ignores colour material;
// where GL honours it the current colour already is.
void SetLitColour(GLfloat r, GLfloat g, GLfloat b);
