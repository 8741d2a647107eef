// Players made of rules of thumb, on the scripted backend: each frame they hold keys and move the mouse knowing
// the world, and the winner wins a real game by input alone. The replay tests record their games; the
// benchmark's orvanthe-record-win records the win it times.
#pragma once

#include <cmath>
#include <functional>

#include "app/flow.h"
#include "camera/camera.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "platform/scripted/script.h"
#include "text/dialogs.h"
#include "world/controls.h"

namespace bots {

// What a player holds and how it moves the mouse this frame.
using Bot = std::function<void(int frame)>;

// Mouse motion that turns the view to `want`, as near as whole pixels go (one is 1/5000 radian).
inline void LookToward(const Vector3& want) {
    constexpr double kPi = 3.14159265358979323846;
    const Vector3 view = g_camera.target - g_camera.position;
    const auto yaw = [](const Vector3& v) { return std::atan2(double(v.x), -double(v.z)); };
    const auto pitch = [](const Vector3& v) { return std::atan2(double(v.y), std::hypot(double(v.x), double(v.z))); };
    double turn = yaw(want) - yaw(view);
    if (turn > kPi) turn -= 2 * kPi;
    if (turn < -kPi) turn += 2 * kPi;
    script::MoveMouse(int(std::lround(turn * 5000.0)), -int(std::lround((pitch(want) - pitch(view)) * 5000.0)));
}

// What every bot does first: ENTER on the title's second frame, and a standing box answered with `answer` every
// 40 frames (after a while, as a player reads it). True when that was the frame's whole play.
inline bool StartOrAnswerBox(int frame, platform::Key answer) {
    if (frame == 0) return true;
    script::HoldKey(platform::Key::Enter, frame == 2);
    if (!GameDialogOpen()) return false;
    script::ReleaseAllKeys();
    script::HoldKey(answer, frame % 40 == 0);
    return true;
}

// Monsters close in only while in view, and faster than seven shots each bring them down face on. So this player
// keeps CONTROL held and looks at the sky, and only for the tick before each shot leaves looks at the nearest
// monster still standing, where the shot will fly.
inline void ShootFromHiding() {
    const Monster* nearest = nullptr;
    float best = 1e30f;
    for (const auto& m : g_monsters) {
        if (!m->InGame()) continue;
        const float d = Magnitude(m->position - g_camera.position);
        if (d < best) best = d, nearest = m.get();
    }
    script::HoldKey(platform::Key::Control, true);
    // The tick after next fires: the next one must leave the view on the monster.
    const bool firesAfterNext = g_fireTimer.armed && g_gameTime + 2 * kTickMs - g_fireTimer.start > kFireIntervalMs;
    const Vector3 muzzle = g_camera.position + Vector3(0.0f, 10.0f, 0.0f);
    const Vector3 view = g_camera.target - g_camera.position;
    if (nearest && firesAfterNext) {
        LookToward(nearest->position - muzzle);
    } else {
        LookToward(Vector3(view.x, 3.0f * std::hypot(view.x, view.z), view.z));
    }
}

// Shoots every monster down until the win, then quits from its box. It may first look at the sky for a while, and
// may pause on the way (resuming after a while, as a player reads the box).
inline Bot Winner(int idleFrames = 0, int pauseFrame = -1) {
    return [=](int frame) {
        using platform::Key;
        if (StartOrAnswerBox(frame, AllMonstersDefeated() ? Key::Escape : Key::Enter)) return;
        script::HoldKey(Key::Escape, frame == pauseFrame);
        if (frame <= 5) return;
        if (frame <= 5 + idleFrames) {
            const Vector3 view = g_camera.target - g_camera.position;
            LookToward(Vector3(view.x, 3.0f * std::hypot(view.x, view.z), view.z));
            return;
        }
        ShootFromHiding();
    };
}

}  // namespace bots
