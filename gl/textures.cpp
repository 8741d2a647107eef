#include "gl/textures.h"

#include <GL/gl.h>

UnpaddedRows::UnpaddedRows() {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    saved_ = alignment;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

UnpaddedRows::~UnpaddedRows() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved_); }
