#include "world/controls.h"

#include <memory>

#include "camera/camera.h"
#include "core/dialogs.h"
#include "core/sound.h"
#include "core/state.h"
#include "platform/input.h"
#include "world/bullet.h"

namespace {

constexpr float kTurnStep = 0.03f;  // radian per frame
constexpr float kWalkSpeed = 4.0f;
constexpr uint32_t kFireIntervalMs = 700;
// Not of unit length, and not normalised: a key turn is ~0.024 rad and
// slowly shortens the view vector, hence the walking speed.
const Vector3 kTurnAxis(0.0f, 0.8f, 0.0f);

void Fire() {
    g_fireTimer.Arm();
    if (g_fireTimer.RunOut(kFireIntervalMs)) {
        PlaySound(g_bulletFireSample);
        auto bullet = std::make_unique<Bullet>();
        bullet->Aim(g_camera.position, g_camera.target);
        g_bullets.push_back(std::move(bullet));
        g_fireTimer.Disarm();
    }
}

}  // namespace

void HandlePlayerInput() {
    using platform::IsKeyDown;
    using platform::Key;
    if (IsKeyDown(Key::Right)) g_camera.TurnView(-kTurnStep, kTurnAxis);
    if (IsKeyDown(Key::Left)) g_camera.TurnView(kTurnStep, kTurnAxis);
    if (IsKeyDown(Key::Down)) g_camera.Move(-kWalkSpeed);
    if (IsKeyDown(Key::Up)) g_camera.Move(kWalkSpeed);
    if (IsKeyDown(Key::Escape) && !g_pauseKeyLatched) {
        ShowPauseDialog();
        g_pauseKeyLatched = true;
    }
    // Polled again: the key may have been let go while the dialog was open.
    if (!IsKeyDown(Key::Escape)) g_pauseKeyLatched = false;
    if (IsKeyDown(Key::Control)) Fire();
}
