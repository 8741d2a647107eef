// Keyframe animation and drawing of a monster: six keyframes per animation,
// stepped by a per-monster 60 ms timer in the tick and shown as they are
// (no blending between keyframes) in immediate mode.
#include <GL/gl.h>

#include "gl/gl_state.h"
#include "monsters/monster.h"

bool Monster::AnimationTimerTick(uint32_t intervalMs) {
    if (animTimer.Arm()) return true;
    if (animTimer.RunOut(intervalMs)) animTimer.Disarm();
    return false;
}

int32_t Monster::StepAnimation() {
    if (animFrame > kAnimationLength - 1) animFrame = 0;
    const int32_t keyframe = animStart + animFrame;
    if (AnimationTimerTick(kAnimationIntervalMs)) ++animFrame;
    return keyframe;
}

void Monster::DrawKeyframe(int32_t keyframe) const {
    if (!HasModel()) return;
    // Only reachable if a caller picks an animation the model lacks.
    if (keyframe < 0 || keyframe >= header.num_frames) return;

    glPushName(1);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    const Vector3* frame = vertices.data() + size_t(keyframe) * size_t(header.num_xyz);
    skin.Bind();
    glBegin(GL_TRIANGLES);
    // Indices were checked at load, so no read here can leave the arrays.
    static const int kCornerOrder[3] = {0, 2, 1};
    for (const Md2Triangle& tri : triangles) {
        for (int c : kCornerOrder) {
            const Md2Uv& uv = texCoords[tri.index_st[c]];
            const Vector3& v = frame[tri.index_xyz[c]];
            glTexCoord2f(uv.s, uv.t);
            glVertex3f(v.x, v.y, v.z);
        }
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopName();
}

void Monster::DrawShown(float alpha) const {
    if (!HasModel()) return;
    Vector3 at = shownPosition;
    float heading = shownHeading;
    if (alpha < 1.0f && previousShownInView) {
        at = previousShownPosition + (shownPosition - previousShownPosition) * alpha;
        // The short way round: 350 to 10 degrees turns through 0.
        float turn = shownHeading - previousShownHeading;
        if (turn > 180.0f) turn -= 360.0f;
        if (turn < -180.0f) turn += 360.0f;
        heading = previousShownHeading + turn * alpha;
    }
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    glRotatef(heading, 0.0f, 1.0f, 0.0f);
    DrawKeyframe(shownKeyframe);
    glPopMatrix();
}
