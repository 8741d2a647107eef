// Keyframe animation and drawing of a monster: six keyframes per animation,
// stepped by a per-monster 60 ms timer in the tick and shown as they are
// (no blending between keyframes), each laid out once as arrays.
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

    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    if (keyframe != laidOutKeyframe_) {
        // Indices were checked at load, so no read here can leave the arrays.
        const Vector3* frame = vertices.data() + size_t(keyframe) * size_t(header.num_xyz);
        for (size_t i = 0; i < cornerVertices.size(); ++i) cornerPositions_[i] = frame[cornerVertices[i]];
        laidOutKeyframe_ = keyframe;
    }
    skin.Bind();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vector3), cornerPositions_.data());
    glTexCoordPointer(2, GL_FLOAT, sizeof(Md2Uv), cornerTexCoords.data());
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(cornerPositions_.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
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
