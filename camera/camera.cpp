#include "camera/camera.h"

#include <cmath>

#include "core/settings.h"
#include "core/state.h"
#include "platform/input.h"

void Camera::Place(float px, float py, float pz, float tx, float ty, float tz, float ux, float uy, float uz) {
    position = Vector3(px, py, pz);
    target = Vector3(tx, ty, tz);
    up = Vector3(ux, uy, uz);
}

float StickDeadZone() { return float(g_settings.stickDeadZone) / 100.0f; }

namespace {

// 0 inside the dead zone, growing from there to 1 at full deflection.
float StickPastDeadZone(float v) {
    const float deadZone = StickDeadZone();
    const float past = (std::fabs(v) - deadZone) / (1.0f - deadZone);
    if (past <= 0.0f) return 0.0f;
    return std::copysign(std::fmin(past, 1.0f), v);
}

}  // namespace

namespace {

// One pixel of cursor motion is 1/5000 radian times the sensitivity. With
// the stick centred, sensitivity 1 and no inversion every step is exact, so
// the view turns to the bit as plain mouse look does.
LookTurn TurnFor(int mx, int my, float stickX, float stickY) {
    using platform::kMouseLookX;
    using platform::kMouseLookY;
    const float sensitivity = g_settings.mouseSensitivity;
    LookTurn turn;
    turn.yaw = (float(kMouseLookX - mx) - stickX) * sensitivity / 5000.0f;
    turn.pitch = (float(kMouseLookY - my) - stickY) * sensitivity / 5000.0f;
    if (g_settings.invertY) turn.pitch = -turn.pitch;
    return turn;
}

}  // namespace

LookTurn PendingMouseTurn() {
    int mx = 0, my = 0;
    platform::GetCursorPos(&mx, &my);
    if (mx == platform::kMouseLookX && my == platform::kMouseLookY) return {};
    return TurnFor(mx, my, 0.0f, 0.0f);
}

LookTurn Camera::MouseLook(int mouseX, int mouseY, const platform::PadAxes& pad) {
    const int mx = platform::kMouseLookX + mouseX, my = platform::kMouseLookY + mouseY;
    const float stickX = StickPastDeadZone(pad.rightX) * kStickLookPixels;
    const float stickY = StickPastDeadZone(pad.rightY) * kStickLookPixels;
    const bool cursorMoved = mouseX != 0 || mouseY != 0;
    if (!cursorMoved && stickX == 0.0f && stickY == 0.0f) return {};
    Look(TurnFor(mx, my, stickX, stickY));
    return cursorMoved ? TurnFor(mx, my, 0.0f, 0.0f) : LookTurn{};
}

void Camera::Look(const LookTurn& turn) {
    // Looking exactly straight up or down (which a step within a float's
    // rounding of the vertical lands on) the view and up give no pitch
    // axis; turning about none would lock the view there for good.
    Vector3 axis;
    if (PitchAxis(&axis)) pitchAxis_ = axis;
    TurnView(turn.pitch, pitchAxis_);
    TurnView(turn.yaw, Vector3(0.0f, 1.0f, 0.0f));
}

bool Camera::PitchAxis(Vector3* axis) const {
    *axis = Cross(target - position, up);
    Normalize(*axis);
    // Normalize leaves a zero vector zero; a unit one passes with room to spare.
    return Magnitude(*axis) > 0.5f;
}

namespace {

Vector3 Rotated(const Vector3& v, float angle, const Vector3& axis) {
    const float c = float(std::cos(double(angle)));
    const float s = float(std::sin(double(angle)));
    const float k = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;

    Vector3 n;
    n.x = (c + k * x * x) * v.x + (k * x * y - z * s) * v.y + (k * x * z + y * s) * v.z;
    n.y = (k * x * y + z * s) * v.x + (c + k * y * y) * v.y + (k * y * z - x * s) * v.z;
    n.z = (k * x * z - y * s) * v.x + (k * y * z + x * s) * v.y + (c + k * z * z) * v.z;
    return n;
}

}  // namespace

void Camera::TurnView(float angle, const Vector3& axisGiven) {
    const Vector3 axis = axisGiven;  // it may be pitchAxis_ itself, turned below
    // A turn of a vertical view shows as nothing, but it is the heading the
    // player comes down facing: it turns the remembered pitch axis instead.
    Vector3 unused;
    if (!PitchAxis(&unused)) {
        Vector3 turned = Rotated(pitchAxis_, angle, axis);
        Normalize(turned);
        if (Magnitude(turned) > 0.5f) pitchAxis_ = turned;
    }
    target = position + Rotated(target - position, angle, axis);
}

void Camera::Move(float speed) {
    const Vector3 d = target - position;
    position.x += d.x * speed;
    position.z += d.z * speed;
    target.x += d.x * speed;
    target.z += d.z * speed;
}

Camera Between(const Camera& a, const Camera& b, float t) {
    if (t >= 1.0f) return b;
    Camera c = b;
    c.position = a.position + (b.position - a.position) * t;
    c.target = a.target + (b.target - a.target) * t;
    c.up = a.up + (b.up - a.up) * t;
    return c;
}
