#include "world/world.h"

#include <GL/gl.h>

#include <cstring>
#include <type_traits>

#include "camera/camera.h"
#include "camera/frustum.h"
#include "camera/matrices.h"
#include "core/demo.h"
#include "core/settings.h"
#include "core/sound.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "scenery/overlay.h"
#include "scenery/terrain.h"
#include "text/glf_font.h"
#include "text/hud.h"
#include "world/bullet.h"
#include "world/controls.h"
#include "world/explosion.h"
#include "world/rumble.h"

namespace {

// The rules' frustum is cut from the view this tick's picture will show.
// `mouse`: what this tick's look took from the mouse. The frames before it
// showed that much turn already (PendingMouseTurn), so the frames after
// start from there: the mouse's turn is never played twice.
void SetShownViewAndFrustum(const LookTurn& mouse) {
    g_previousShownView = g_shownView;
    if (!mouse.None()) g_previousShownView.Look(mouse);
    g_shownView = g_camera;
    g_frustum.ExtractFrom(g_ruleProjection.m, ViewMatrix(g_shownView).m);
}

// Tested on the position before this tick's step, so a bullet is drawn
// once outside the box before it goes.
void MoveBullets() {
    for (size_t i = 0; i < g_bullets.size();) {
        if (OutsidePlayBox(g_bullets[i]->position)) {
            g_bullets.erase(g_bullets.begin() + long(i));
        } else {
            g_bullets[i]->Move();
            ++i;
        }
    }
}

// An expired burst is destroyed and the one moving into its place is looked
// at in the same pass.
void AdvanceExplosions() {
    for (size_t i = 0; i < g_explosions.size();) {
        if (g_gameTime - g_explosions[i]->startTick <= kExplosionLifeMs) {
            g_explosions[i]->Advance();
            ++i;
        } else {
            g_explosions.erase(g_explosions.begin() + long(i));
        }
    }
}

// One damage timer for all monsters and bullets: it starts armed at tick 0,
// so the first overlap after program start damages at once, and a new game
// does not reset it. An overlap while it is disarmed only re-arms it, and
// damage needs an overlap more than 500 ms after arming. A hit does not stop the bullet.
void HitMonsters() {
    for (auto& monster : g_monsters) {
        for (auto& bullet : g_bullets) {
            if (!monster->Overlaps(bullet->position, int32_t(bullet->halfWidth), int32_t(bullet->halfHeight))) continue;
            g_hitTimer.Arm();
            if (g_hitTimer.RunOut(kDamageIntervalMs)) {
                PlaySound(g_explodeSample);
                // The bullet's direction points back at the shooter, so the
                // burst starts a little toward the player along x.
                const Vector3& p = bullet->position;
                g_explosions.push_back(
                    std::make_unique<Explosion>(p.x + kExplosionOffset * bullet->direction.x, p.y, p.z));
                g_hitTimer.Disarm();
                monster->hitPoints -= 1;
                // A later hit starts the mark afresh.
                g_hitMark = TickTimer{true, g_gameTime};
                RumbleForHit();
            }
        }
    }
}

// Every pass, so a dead monster the monster pass moved goes straight back.
void ParkDeadMonsters() {
    for (auto& monster : g_monsters)
        if (monster->hitPoints <= 0) monster->Place(kMonsterParking.x, kMonsterParking.y, kMonsterParking.z);
}

void AimMonsters() {
    for (auto& monster : g_monsters)
        if (monster->hunting) monster->AimAt(g_camera.position);
    for (auto& monster : g_monsters) monster->UpdateHeading();
}

}  // namespace

void FollowTerrain() {
    const Vector3 p = g_camera.position;
    const Vector3 t = g_camera.target;
    const float eye = g_terrain->Height(p.x, p.z) + kEyeHeight;
    g_camera.Place(p.x, eye, p.z, t.x, t.y + (eye - p.y), t.z, 0.0f, 1.0f, 0.0f);
}

bool HitMarkShowing() { return g_hitMark.armed && !g_hitMark.RunOut(kHitMarkMs); }

void TickWorld() {
    // Put away once shown, so the clock's wrap never shows it again.
    if (g_hitMark.RunOut(kHitMarkMs)) g_hitMark.Disarm();
    HandlePlayerInput();
    const LookTurn mouse = g_camera.MouseLook(g_tickInput.mouseX, g_tickInput.mouseY, g_tickInput.pad);
    SetShownViewAndFrustum(mouse);
    AdvanceExplosions();
    MoveBullets();
    UpdateMonsters();
    HitMonsters();
    ParkDeadMonsters();
    AimMonsters();
    FollowTerrain();
}

namespace {
Camera g_drawnView;  // what DrawWorld drew from, for the pacing's measure
}  // namespace

const Camera& LastDrawnView() { return g_drawnView; }

void ForgetPreviousTick() {
    g_previousShownView = g_shownView;
    for (auto& m : g_monsters) m->previousShownInView = false;
}

void DrawWorld(float alpha) {
    // The view replaces the identity the sky was drawn on.
    g_drawnView = Between(g_previousShownView, g_shownView, alpha);
    // The mouse moved since the last tick turns this picture already; the
    // next tick takes the motion for the world.
    const LookTurn pending = PendingMouseTurn();
    if (!pending.None()) g_drawnView.Look(pending);
    const Matrix4 view = ViewMatrix(g_drawnView);
    glLoadMatrixf(view.m);
    for (const auto& explosion : g_explosions) explosion->Draw(alpha);
    for (const auto& bullet : g_bullets) bullet->Draw(alpha);
    DrawMonsters(alpha);
    g_terrain->Draw();
    g_overlay.Draw();
    if (g_settings.showHud) DrawHud(g_font, {MonstersLeft(), HitMarkShowing()}, g_viewportWidth, g_viewportHeight);
}

namespace {

// FNV-1a over the values' bytes: floats by their bits, so -0 and 0 differ
// as the rules' arithmetic may.
class StateHash {
public:
    template <typename T>
    void Add(const T& value) {
        static_assert(std::is_arithmetic_v<T>, "values only: a struct's padding is no state");
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char b : bytes) hash_ = (hash_ ^ b) * 1099511628211u;
    }
    void Add(const Vector3& v) {
        Add(v.x);
        Add(v.y);
        Add(v.z);
    }
    void Add(const TickTimer& t) {
        Add(t.armed);
        Add(t.start);
    }
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 1469598103934665603u;
};

}  // namespace

uint64_t WorldStateHash() {
    StateHash h;
    h.Add(g_inTitle);
    h.Add(g_gameTime);
    h.Add(g_lapTicksLeft);
    h.Add(g_camera.position);
    h.Add(g_camera.target);
    h.Add(g_camera.up);
    for (const auto& m : g_monsters) {
        h.Add(m->position);
        h.Add(m->toTarget);
        h.Add(m->heading);
        h.Add(m->hunting);
        h.Add(m->hitPoints);
        h.Add(m->animStart);
        h.Add(m->animFrame);
        h.Add(m->animTimer);
        h.Add(m->huntDelay);
    }
    h.Add(uint32_t(g_bullets.size()));
    for (const auto& b : g_bullets) {
        h.Add(b->position);
        h.Add(b->direction);
    }
    h.Add(uint32_t(g_explosions.size()));
    for (const auto& e : g_explosions) h.Add(e->startTick);
    h.Add(g_fireTimer);
    h.Add(g_hitTimer);
    h.Add(g_random.Fingerprint());
    return h.value();
}
