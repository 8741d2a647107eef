// Monster behaviour: waking three seconds after first being seen, chasing
// the camera a hundredth of the gap per tick in view, turning toward it,
// the collision box test, and the tick's monster pass.
#include <cmath>

#include "camera/camera.h"
#include "camera/frustum.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "scenery/terrain.h"

const Vector3 kMonsterStarts[3] = {
    Vector3(1587.0f, -143.0f, -302.0f),
    Vector3(1627.0f, -142.0f, -1518.0f),
    Vector3(677.0f, 6.0f, -1130.0f),
};
// Far below and outside the play area, beyond the far plane from anywhere
// the camera can stand.
const Vector3 kMonsterParking(2500.0f, -4000.0f, -800.0f);

namespace {
constexpr float kAdvanceFraction = 0.01f;
// 3.14, not pi: a heading comes out 0.05% larger than the true angle in
// degrees, which is how the monsters turn.
constexpr double kDegreesPerRadian = 180.0 / 3.14;
}  // namespace

void Monster::Place(float x, float y, float z) { position = Vector3(x, y, z); }

void Monster::UpdateHunting() {
    // Started once, at the first frame in view; a new game does not restart it.
    huntDelay.Arm();
    if (huntDelay.RunOut(kHuntDelayMs)) hunting = true;
}

void Monster::AimAt(Vector3 target) { toTarget = target - position; }

void Monster::Advance() { position = position + toTarget * kAdvanceFraction; }

void Monster::UpdateHeading() {
    flatToTarget = Vector3(toTarget.x, 0.0f, toTarget.z);
    const float x = flatToTarget.x, z = flatToTarget.z;
    // On an axis (or with nothing to aim at, or NaN) the heading stays.
    if (x == 0.0f || !(z < 0.0f || z > 0.0f)) return;
    const float k = x / Magnitude(flatToTarget);
    const double degrees = std::acos(double(k)) * kDegreesPerRadian;
    heading = float(z < 0.0f ? degrees : 360.0 - degrees);
}

bool Monster::Overlaps(const Vector3& point, int32_t halfWidth, int32_t halfHeight) const {
    if (!HasModel()) return false;
    const float w = float(halfWidth), h = float(halfHeight);
    return point.x - w < position.x + boxHalfWidth && point.x + w > position.x - boxHalfWidth &&
           point.y - h < position.y + boxHalfHeight && point.y + h > position.y - boxHalfHeight &&
           point.z - w < position.z + boxHalfWidth && point.z + w > position.z - boxHalfWidth;
}

void CreateMonsters() {
    g_monsters.clear();
    for (int i = 0; i < 3; ++i) {
        g_monsters.push_back(std::make_unique<Monster>());
        g_monsters.back()->LoadModel(kMonsterModel);
    }
}

namespace {
void PlaceAtStarts() {
    for (size_t i = 0; i < g_monsters.size() && i < 3; ++i)
        g_monsters[i]->Place(kMonsterStarts[i].x, kMonsterStarts[i].y, kMonsterStarts[i].z);
}
}  // namespace

void PlaceMonstersAtStart() {
    PlaceAtStarts();
    // In the first game waiting monsters face where the player comes in;
    // only hunting ones aim again, so this holds until they wake.
    for (auto& m : g_monsters) {
        m->AimAt(kCameraStart);
        m->UpdateHeading();
    }
}

// Only places them: a waiting monster keeps the heading it had.
void ResetMonsters() {
    PlaceAtStarts();
    // The hunt delay is kept: a monster seen long ago hunts at first sight.
    for (auto& m : g_monsters) {
        m->hunting = false;
        m->hitPoints = kNewGameHitPoints;
    }
}

bool AllMonstersDefeated() {
    bool anyModel = false;
    for (const auto& m : g_monsters) {
        if (!m->HasModel()) continue;
        anyModel = true;
        if (m->hitPoints >= 1) return false;
    }
    return anyModel;
}

int MonstersLeft() {
    int left = 0;
    for (const auto& m : g_monsters)
        if (m->InGame()) ++left;
    return left;
}

void UpdateMonsters() {
    for (auto& owned : g_monsters) {
        Monster& m = *owned;
        m.previousShownInView = m.shownInView;
        m.previousShownPosition = m.shownPosition;
        m.previousShownHeading = m.shownHeading;
        m.shownInView = false;
        // Parked monsters are skipped too, so the terrain is never asked
        // about the parking spot.
        if (!m.InGame()) continue;
        // First, so a monster out of view costs nothing more.
        if (!g_frustum.CubeInside(m.position.x, m.position.y, m.position.z, 0.5f * m.boxHalfWidth)) continue;
        m.position.y = g_terrain->Height(m.position.x, m.position.z) + kMonsterLift;
        m.UpdateHunting();
        if (m.hunting) {
            m.AimAt(g_camera.position);
            m.SetAnimation(kHuntingAnimation);
            m.Advance();
        } else {
            m.SetAnimation(kIdleAnimation);
        }
        m.shownInView = true;
        m.shownPosition = m.position;
        m.shownHeading = m.heading;
        m.shownKeyframe = m.StepAnimation();
    }
}

void DrawMonsters(float alpha) {
    for (const auto& m : g_monsters)
        if (m->shownInView) m->DrawShown(alpha);
}
