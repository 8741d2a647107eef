// The sky's copy: its colour in a framebuffer of the drawable's size, its
// depth as the one value its far face leaves everywhere.
#define GL_GLEXT_PROTOTYPES
#include "scenery/sky_cache.h"

#include <GL/glext.h>

#include <cstring>
#include <vector>

#include "core/state.h"
#include "gl/gl_compat.h"
#include "gl/gl_state.h"
#include "platform/window.h"
#include "scenery/skybox.h"
#include "scenery/texture.h"

namespace {

// What a clear leaves in the depth buffer at every other time: the game
// never changes it.
constexpr GLdouble kClearDepth = 1.0;

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

void SkyCache::Make(const SkyScene& scene, Key* key) {
    std::memset(key, 0, sizeof *key);
    key->scene = scene;
    platform::GetDrawableSize(&key->drawable[0], &key->drawable[1]);
    key->sky = g_skyTexture.textureId != 0 ? g_skyTexture.textureId : WhiteTexture();
}

void SkyCache::ClearAndDraw(const SkyScene& scene) {
    Key key;
    Make(scene, &key);
    const SkyBoxShape& box = scene.box;
    glColor4f(scene.tint.r, scene.tint.g, scene.tint.b, scene.tint.a);
    const bool same = tried_ && std::memcmp(&key, &key_, sizeof key) == 0;
    fromCopy_ = same && kept_;
    if (fromCopy_) {
        PutBack();
        return;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawSkyBox(box.x, box.y, box.z, box.width, box.height, box.length);
    // This state's copy failed once: no second try.
    if (same || !kCanCopySky) return;
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
// the box leave, whatever the viewport. Once for each scene copied (the
// first frames, a resize), never per frame, the copy is read back and
// compared with what the box drew: a driver that cannot copy to the bit
// draws the box every frame.
bool SkyCache::Keep() {
    const int width = key_.drawable[0], height = key_.drawable[1];
    if (width <= 0 || height <= 0) return false;
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
        glClearDepth(kClearDepth);
        depthByClear_ = ReadDepth(width, height) == depth;
    }
    if (!depthByClear_) {
        glClear(GL_DEPTH_BUFFER_BIT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        const SkyBoxShape& b = key_.scene.box;
        DrawSkyBox(b.x, b.y, b.z, b.width, b.height, b.length);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
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
    const SkyBoxShape& b = key_.scene.box;
    if (depthByClear_) {
        glClearDepth(depth_);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(kClearDepth);
        glEnable(GL_TEXTURE_2D);
        g_skyTexture.Bind();
        SetTextureWrap(kClampWrap);
    } else {
        glClear(GL_DEPTH_BUFFER_BIT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        DrawSkyBox(b.x, b.y, b.z, b.width, b.height, b.length);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
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
