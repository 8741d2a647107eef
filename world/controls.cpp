#include "world/controls.h"

#include <cmath>
#include <memory>

#include "camera/camera.h"
#include "core/bindings.h"
#include "core/demo.h"
#include "core/settings.h"
#include "core/sound.h"
#include "core/state.h"
#include "platform/input.h"
#include "world/bullet.h"
#include "world/rumble.h"

namespace {

constexpr float kWalkSpeed = 4.0f;
uint32_t g_fireIntervalMs = kFireIntervalMs;
// About 0.024 rad (1.375 degrees) a frame: what 0.03 rad about an axis of
// length 0.8 comes to. Turned about that short axis the view vector also
// shrank by 0.016 % a frame, and walking and bullet speed with it; about the
// vertical the turn keeps the view's length and pitch.
const float kTurnStep = float(std::atan2(0.8 * std::sin(0.03), std::cos(0.03)));
const Vector3 kTurnAxis(0.0f, 1.0f, 0.0f);

void Fire() {
    g_fireTimer.Arm();
    if (g_fireTimer.RunOut(g_fireIntervalMs)) {
        PlaySound(g_bulletFireSample);
        auto bullet = std::make_unique<Bullet>();
        bullet->Aim(g_camera.position, g_camera.target);
        g_bullets.push_back(std::move(bullet));
        g_fireTimer.Disarm();
        RumbleForShot();
    }
}

}  // namespace

void ChangeFireIntervalForTests(uint32_t ms) { g_fireIntervalMs = ms; }

// ESC pauses whatever the bindings say: it is the key every screen of the
// game backs out with, and a player who unbinds pause must not be trapped.
bool PauseKeyWaiting() {
    return g_presses.Of(platform::Key::Escape) + ActionPresses(g_settings.bindings, Action::Pause, g_presses) > 0;
}

void HandlePlayerInput() {
    const Bindings& bindings = g_settings.bindings;
    const auto held = [&](Action action) {
        return ActionHeld(bindings, action, g_tickInput.held, g_tickInput.pad, StickDeadZone());
    };
    if (held(Action::TurnRight)) g_camera.TurnView(-kTurnStep, kTurnAxis);
    if (held(Action::TurnLeft)) g_camera.TurnView(kTurnStep, kTurnAxis);
    if (held(Action::WalkBack)) g_camera.Move(-kWalkSpeed);
    if (held(Action::WalkForward)) g_camera.Move(kWalkSpeed);
    // Looking up and down by keys pitches the view as the turn keys yaw it,
    // about the camera's own pitch axis as the mouse does.
    const float pitch = (held(Action::LookUp) ? kTurnStep : 0.0f) - (held(Action::LookDown) ? kTurnStep : 0.0f);
    if (pitch != 0.0f) g_camera.Look(LookTurn{0.0f, pitch});
    if (held(Action::Fire)) Fire();
}
