// The sky's copy: its colour in a framebuffer of the drawable's size, its
// depth as the one value its far face leaves everywhere.
#define GL_GLEXT_PROTOTYPES
#include "scenery/sky_cache.h"

#include <GL/glext.h>

#include <cstring>
#include <vector>

#include "core/state.h"
#include "gl/gl_state.h"
#include "platform/window.h"
#include "scenery/skybox.h"
#include "scenery/texture.h"

namespace {

const GLenum kEnables[12] = {GL_LIGHTING,        GL_BLEND,         GL_FOG,          GL_SCISSOR_TEST,  GL_CULL_FACE,
                             GL_ALPHA_TEST,      GL_DEPTH_TEST,    GL_STENCIL_TEST, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T,
                             GL_POLYGON_STIPPLE, GL_COLOR_LOGIC_OP};

void Blit(GLuint from, GLuint to, int width, int height) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

std::vector<GLuint> ReadDepth(int width, int height) {
    std::vector<GLuint> depth(size_t(width) * size_t(height));
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, depth.data());
    return depth;
}

}  // namespace

void SkyCache::Read(const SkyBoxShape& box, Key* key) {
    std::memset(key, 0, sizeof *key);
    key->box = box;
    platform::GetDrawableSize(&key->drawable[0], &key->drawable[1]);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &key->framebuffers[0]);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &key->framebuffers[1]);
    glGetIntegerv(GL_VIEWPORT, key->viewport);
    glGetIntegerv(GL_MATRIX_MODE, &key->matrixMode);
    glGetIntegerv(GL_DRAW_BUFFER, &key->drawBuffer);
    glGetIntegerv(GL_DEPTH_FUNC, &key->depthFunc);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &key->texEnv);
    key->sky = GLint(g_skyTexture.textureId != 0 ? g_skyTexture.textureId : WhiteTexture());
    glGetFloatv(GL_PROJECTION_MATRIX, key->projection);
    glGetFloatv(GL_CURRENT_COLOR, key->colour);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, key->clearColour);
    glGetDoublev(GL_DEPTH_CLEAR_VALUE, &key->clearDepth);
    for (int i = 0; i < 12; ++i) key->enables[i] = glIsEnabled(kEnables[i]);
    glGetBooleanv(GL_COLOR_WRITEMASK, key->colourMask);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &key->depthMask);
}

void SkyCache::ClearAndDraw(const SkyBoxShape& box) {
    Key key;
    Read(box, &key);
    const bool same = tried_ && std::memcmp(&key, &key_, sizeof key) == 0;
    fromCopy_ = same && kept_;
    if (fromCopy_) {
        PutBack();
        return;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSkyBox(box.x, box.y, box.z, box.width, box.height, box.length);
    if (same) return;  // this state's copy failed once: no second try
    // Copying costs a few frames' work: a state met once may be passing
    // (the first frame, the frame after the title), so only a state met
    // twice in a row is copied.
    const bool again = std::memcmp(&key, &last_, sizeof key) == 0;
    last_ = key;
    if (!again) return;
    key_ = key;
    kept_ = Keep();
    tried_ = true;
    if (kept_) return;
    // A failed copy may have left the frame half put back.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSkyBox(box.x, box.y, box.z, box.width, box.height, box.length);
}

// The whole drawable is copied, so the copy holds every pixel the clear and
// the box leave, whatever the viewport.
bool SkyCache::Keep() {
    const int width = key_.drawable[0], height = key_.drawable[1];
    if (key_.framebuffers[0] != 0 || key_.framebuffers[1] != 0 || width <= 0 || height <= 0) return false;
    if (width != width_ || height != height_) {
        Release();
        glGenRenderbuffers(1, &colour_);
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (!complete) {
            Release();
            return false;
        }
        width_ = width;
        height_ = height;
    }
    Blit(0, framebuffer_, width, height);

    // The far face lies at one eye depth; where a clear stores the very
    // same bits it stands in for the box, else the box is drawn for depth.
    const std::vector<GLuint> depth = ReadDepth(width, height);
    depthByClear_ = false;
    bool flat = true;
    for (GLuint d : depth) flat = flat && d == depth[0];
    if (flat) {
        depth_ = double(depth[0]) / 4294967295.0;
        glClearDepth(depth_);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(key_.clearDepth);
        depthByClear_ = ReadDepth(width, height) == depth;
    }
    if (!depthByClear_) {
        glClear(GL_DEPTH_BUFFER_BIT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        const SkyBoxShape& b = key_.box;
        DrawSkyBox(b.x, b.y, b.z, b.width, b.height, b.length);
        glColorMask(key_.colourMask[0], key_.colourMask[1], key_.colourMask[2], key_.colourMask[3]);
        if (ReadDepth(width, height) != depth) return false;
    }
    // The copy must give back what the box drew, bit for bit.
    std::vector<GLuint> drawn(size_t(width) * size_t(height)), copied(drawn.size());
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, drawn.data());
    Blit(framebuffer_, 0, width, height);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, copied.data());
    return drawn == copied;
}

// As the box leaves it: the colour from the copy, the depth by clear or by
// the box drawn without colour, and the sky bound for texturing.
void SkyCache::PutBack() const {
    const SkyBoxShape& b = key_.box;
    if (depthByClear_) {
        glClearDepth(depth_);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(key_.clearDepth);
        glEnable(GL_TEXTURE_2D);
        g_skyTexture.Bind();
        SetTextureWrap(GL_CLAMP);
    } else {
        glClear(GL_DEPTH_BUFFER_BIT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        DrawSkyBox(b.x, b.y, b.z, b.width, b.height, b.length);
        glColorMask(key_.colourMask[0], key_.colourMask[1], key_.colourMask[2], key_.colourMask[3]);
    }
    Blit(framebuffer_, 0, width_, height_);
}

void SkyCache::Release() {
    if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_ != 0) glDeleteRenderbuffers(1, &colour_);
    framebuffer_ = colour_ = 0;
    width_ = height_ = 0;
    tried_ = kept_ = false;
}
