#include "world/controls.h"

#include <cmath>
#include <memory>

#include "camera/camera.h"
#include "core/sound.h"
#include "core/state.h"
#include "platform/input.h"
#include "world/bullet.h"
#include "world/rumble.h"

namespace {

constexpr float kWalkSpeed = 4.0f;
constexpr uint32_t kFireIntervalMs = 700;
// About 0.024 rad (1.375 degrees) a frame: what 0.03 rad about an axis of
// length 0.8 comes to. Turned about that short axis the view vector also
// shrank by 0.016 % a frame, and walking and bullet speed with it; about the
// vertical the turn keeps the view's length and pitch.
const float kTurnStep = float(std::atan2(0.8 * std::sin(0.03), std::cos(0.03)));
const Vector3 kTurnAxis(0.0f, 1.0f, 0.0f);
constexpr float kTriggerPressed = 0.5f;

void Fire() {
    g_fireTimer.Arm();
    if (g_fireTimer.RunOut(kFireIntervalMs)) {
        PlaySound(g_bulletFireSample);
        auto bullet = std::make_unique<Bullet>();
        bullet->Aim(g_camera.position, g_camera.target);
        g_bullets.push_back(std::move(bullet));
        g_fireTimer.Disarm();
        RumbleForShot();
    }
}

}  // namespace

// Start pauses as ESC does.
bool PauseKeyWaiting() {
    using platform::Key;
    return g_presses.Of(Key::Escape) + g_presses.Of(Key::PadStart) > 0;
}

void HandlePlayerInput() {
    using platform::IsKeyDown;
    using platform::Key;
    // The left stick past its dead zone is an arrow held; the right trigger
    // pressed half way or more is CONTROL.
    const platform::PadAxes pad = platform::GetPadAxes();
    const float deadZone = StickDeadZone();
    const bool right = IsKeyDown(Key::Right) || IsKeyDown(Key::D) || pad.leftX > deadZone;
    const bool left = IsKeyDown(Key::Left) || IsKeyDown(Key::A) || pad.leftX < -deadZone;
    const bool back = IsKeyDown(Key::Down) || IsKeyDown(Key::S) || pad.leftY > deadZone;
    const bool forward = IsKeyDown(Key::Up) || IsKeyDown(Key::W) || pad.leftY < -deadZone;
    if (right) g_camera.TurnView(-kTurnStep, kTurnAxis);
    if (left) g_camera.TurnView(kTurnStep, kTurnAxis);
    if (back) g_camera.Move(-kWalkSpeed);
    if (forward) g_camera.Move(kWalkSpeed);
    if (IsKeyDown(Key::Control) || IsKeyDown(Key::MouseLeft) || IsKeyDown(Key::PadA) ||
        pad.rightTrigger >= kTriggerPressed)
        Fire();
}
