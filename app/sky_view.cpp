#include "app/sky_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "camera/matrices.h"
#include "core/settings.h"
#include "core/state.h"

SkyBoxShape SkyBoxForView() {
    // A narrower view than 4:3 needs no more than 4:3's width.
    const long width = g_viewportWidth, height = g_viewportHeight;
    const float widen = width > 0 && height > 0 && width * 3 > height * 4 ? float(width * 3) / float(height * 4) : 1.0f;
    // The view's height at the far face over 45 degrees': 1, to the bit, at 45.
    constexpr double kHalfDegree = 3.14159265358979323846 / 360.0;
    const float grow = float(std::tan(double(g_settings.fieldOfView) * kHalfDegree) / std::tan(45.0 * kHalfDegree));
    const float across = widen * grow;
    return {234.0f * across, -155.0f * grow, -319.0f, 2000.0f * across, 2000.0f * grow, 2000.0f};
}

// The sky is drawn on the identity modelview, in eye space: it neither
// turns nor moves with the camera. The box is just big enough for a 4:3
// view of 45 degrees; a wider view would see its side faces, so the box
// grows about the eye with the view, and its far face fills the frame as
// at 4:3 and 45 degrees, with the depth it had there. It is drawn once and
// copied after while nothing it is drawn from changes.
void ClearAndDrawSky(const SkyTint& tint) {
    glLoadIdentity();
    SkyScene scene{};
    scene.box = SkyBoxForView();
    scene.tint = tint;
    std::copy(std::begin(g_projection.m), std::end(g_projection.m), scene.projection);
    scene.viewportWidth = g_viewportWidth;
    scene.viewportHeight = g_viewportHeight;
    g_skyCache.ClearAndDraw(scene);
}
