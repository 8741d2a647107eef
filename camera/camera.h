// The player's first-person eye: where they stand, the point they look at,
// and up. The view vector (target - position) is deliberately not kept at
// unit length: its horizontal length is the walking speed.
#pragma once

#include "camera/vector3.h"
#include "platform/input.h"

// A look's turn in radians: about the vertical, then about the view's right.
struct LookTurn {
    float yaw = 0.0f;
    float pitch = 0.0f;
    bool None() const { return yaw == 0.0f && pitch == 0.0f; }
};

class Camera {
public:
    Vector3 position;
    Vector3 target;
    Vector3 up;

    void Place(float px, float py, float pz, float tx, float ty, float tz, float ux, float uy, float uz);
    // Turns the view by the cursor's motion since the last tick (pixels,
    // right and down); a gamepad's right stick adds to the motion. The
    // player's sensitivity and invert-Y settings scale it (1 and off: one
    // pixel is 1/5000 radian, mouse up looks up). Returns the mouse's share
    // of the turn.
    LookTurn MouseLook(int mouseX, int mouseY, const platform::PadAxes& pad);
    // Pitches, then turns about the vertical, as a look does.
    void Look(const LookTurn& turn);
    // Rotates target about position around axis, used as given (not normalised).
    void TurnView(float angle, const Vector3& axis);
    // Walks along the horizontal part of the view vector times speed.
    void Move(float speed);

private:
    // The axis to the viewer's right, from the view and up; false where
    // there is none (the view parallel to up).
    bool PitchAxis(Vector3* axis) const;

    // The last pitch axis there was, for a view that has landed exactly
    // vertical: the start view's until the mouse first looks.
    Vector3 pitchAxis_{1.0f, 0.0f, 0.0f};
};

// The turn the cursor's motion since the last look would make, left for
// that look to take: a frame drawn before the next tick already answers
// the mouse.
LookTurn PendingMouseTurn();

// The eye `t` of the way from a to b (t >= 1: b itself, to the bit): a
// frame drawn between two ticks.
Camera Between(const Camera& a, const Camera& b, float t);

// A stick nearer its centre than this, 0..1 of its travel, counts as
// centred: worn sticks rest off centre. The player's setting (a quarter
// unless they choose).
float StickDeadZone();
// The right stick fully over looks as far each frame as this much mouse
// motion: as fast as the arrow keys turn.
constexpr float kStickLookPixels = 120.0f;

// Where every game starts, looking one unit along -z.
inline const Vector3 kCameraStart(234.0f, -155.0f, -319.0f);
