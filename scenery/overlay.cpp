// Overlay drawing: two blended passes of one quad in a 950 x 600 space with
// y running down, so the image's top row lies along the top of the window.
#include "scenery/overlay.h"

#include <GL/gl.h>

#include "gl/gl_state.h"


namespace {

void FullWindowQuad(uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 600.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(950.0f, 600.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(950.0f, 0.0f);
    glEnd();
}

// Without edge clamping a white mask would darken a rim round the view.
void LoadEdgeClamped(Texture* texture, const char* path) {
    if (texture->Load(path)) texture->ClampToEdge();
}

}  // namespace

void ScreenOverlay::Load() {
    const char* const imageFile = "data/va.bmp";
    const char* const maskFile = "data/vb.bmp";
    LoadEdgeClamped(&image, imageFile);
    LoadEdgeClamped(&mask, maskFile);
    // Drawn only as a pair: a lone good half is named as unused.
    if (image.loaded && !mask.loaded) ReportAssetProblem(imageFile, std::string("not used: ") + maskFile + " failed");
    if (mask.loaded && !image.loaded) ReportAssetProblem(maskFile, std::string("not used: ") + imageFile + " failed");
}

void ScreenOverlay::Draw() const {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const Screen2D pass(0.0, 950.0, 600.0, 0.0, 0.0, 1.0);
    if (image.loaded && mask.loaded) {
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        FullWindowQuad(mask.textureId);
        glBlendFunc(GL_ONE, GL_ONE);
        FullWindowQuad(image.textureId);
    }
}
