#define GL_GLEXT_PROTOTYPES
#include "gl/gl_compat.h"

#include <GL/glext.h>

#include <GL/glu.h>

#include "gl/gl_state.h"

GLuint FontTextureName() {
#ifdef ORVANTHE_WEBGL
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
#else
    return 0;
#endif
}

bool UploadRgbTexture(int width, int height, const void* pixels, std::string* reason) {
    const UnpaddedRows unpadded;
#ifdef ORVANTHE_WEBGL
    // Every image is drawn through a linear filter without mipmaps, and
    // WebGL takes any size: level 0 is all that is sampled.
    // Earlier errors are not this upload's (bounded: a lost context may
    // keep reporting).
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) return true;
    *reason = "texture upload failed (GL error " + std::to_string(error) + ")";
    return false;
#else
    const GLint error = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    if (error == 0) return true;
    const GLubyte* text = gluErrorString(GLenum(error));
    *reason = std::string("texture upload failed (") + (text ? reinterpret_cast<const char*>(text) : "GLU error") + ")";
    return false;
#endif
}

void SetLitColour(GLfloat r, GLfloat g, GLfloat b) {
    glColor3f(r, g, b);
#ifdef ORVANTHE_WEBGL
    // One at a time: the emulation knows no GL_AMBIENT_AND_DIFFUSE.
    const GLfloat colour[4] = {r, g, b, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, colour);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, colour);
#endif
}

void MultiDrawArrays(GLenum mode, const GLint* firsts, const GLsizei* counts, GLsizei runs) {
#ifdef ORVANTHE_WEBGL
    for (GLsizei i = 0; i < runs; ++i) glDrawArrays(mode, firsts[i], counts[i]);
#else
    glMultiDrawArrays(mode, firsts, counts, runs);
#endif
}
