#include "gl/gl_state.h"

#include "gl/gl_compat.h"

namespace {
// The current context's white default; a new context makes its own.
GLuint g_whiteTexture = 0;
}  // namespace

void SetFixedGlState() {
    glClearColor(0.0f, 0.0f, 1.0f, 0.0f);
    if (kAsksForFixedModes) {
        glShadeModel(GL_SMOOTH);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);

    // Made here, per context: a name from an earlier context means nothing.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    SetTextureFilter(GL_NEAREST);
    const GLubyte white[3] = {255, 255, 255};
    {
        const UnpaddedRows unpadded;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    g_whiteTexture = name;
}

GLuint WhiteTexture() { return g_whiteTexture; }

void SetTextureFilter(GLint filter) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void SetTextureWrap(GLint wrap) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

UnpaddedRows::UnpaddedRows() {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

UnpaddedRows::~UnpaddedRows() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved_); }

Screen2D::Screen2D(double left, double right, double bottom, double top, double zNear, double zFar) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(left, right, bottom, top, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

Screen2D::~Screen2D() {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
