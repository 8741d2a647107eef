// Scene set-up and the timed frames. Everything that keeps a scene steady
// (monsters kept from hunting, bullets topped up, the shot that starts the
// next explosion) happens between frames, outside the clock; what the game
// itself does with them, the explosion's creation included, is inside.
#include "bench/scenes.h"

#include <GL/gl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "app/flow.h"
#include "camera/frustum.h"
#include "core/state.h"
#include "monsters/monster.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "scenery/texture.h"
#include "world/bullet.h"
#include "world/explosion.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmFrames = 20;
constexpr int kSampledFrames = 30;
constexpr size_t kStreamBullets = 20;
// The bullet stream flies straight ahead along x = 234 at this height.
constexpr float kStreamX = 234.0f;
constexpr float kAimY = -160.0f;  // a shot starts 10 above its launch point

double CpuMs() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(r.ru_utime) + ms(r.ru_stime);
}

// The sky texture stretched over the whole window on a fresh clear: the
// cheapest frame that still fills every pixel once, for ratios.
void DrawBaseline() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    g_skyTexture.Bind();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(0, 0);
    glTexCoord2f(1, 0), glVertex2f(1, 0);
    glTexCoord2f(1, 1), glVertex2f(1, 1);
    glTexCoord2f(0, 1), glVertex2f(0, 1);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    platform::SwapWindowBuffers();
}

// Monster 0 stands near, left of the stream, where the shot that starts the
// next explosion hits it; the others stand farther off.
void PlaceMonsters() {
    const Vector3 spots[3] = {{0.0f, -150.0f, -500.0f}, {324.0f, -150.0f, -650.0f}, {90.0f, -150.0f, -900.0f}};
    for (size_t i = 0; i < g_monsters.size() && i < 3; ++i) {
        Monster& m = *g_monsters[i];
        // Clear of the stream's 5-unit bullets by 10 units.
        const float x = i == 0 ? kStreamX - 15.0f - m.boxHalfWidth : spots[i].x;
        m.Place(x, spots[i].y, spots[i].z);
    }
}

// Asleep and unkillable: none reaches the player and opens a dialog.
void KeepMonstersStill() {
    for (auto& m : g_monsters) {
        m->hitPoints = kNewGameHitPoints;
        m->hunting = false;
        m->huntDelay = TickTimer{true, g_gameTime};
    }
}

// A shot one step short of monster 0's centre, with the damage timer long
// run out: the game's own hit starts the explosion in the coming frame.
void AimShotAtMonster() {
    if (g_monsters.empty()) return;
    const Vector3 at = g_monsters[0]->position;
    g_bullets.push_back(std::make_unique<Bullet>());
    g_bullets.back()->Aim(Vector3(at.x, at.y - 10.0f, at.z + 10.0f), Vector3(at.x, at.y - 10.0f, at.z + 9.0f));
    g_hitTimer = TickTimer{true, g_gameTime - 10000};
}

void TopUpStream() {
    while (g_bullets.size() < kStreamBullets) {
        // Straight ahead, 30 to 790 units out, as a stream of shots is.
        const float z = -349.0f - 40.0f * float(g_bullets.size());
        g_bullets.push_back(std::make_unique<Bullet>());
        g_bullets.back()->Aim(Vector3(kStreamX, kAimY, z), Vector3(kStreamX, kAimY, z - 1.0f));
    }
}

}  // namespace

void EnterScene(Scene scene) {
    g_bullets.clear();
    g_explosions.clear();
    NewGame();
    g_inTitle = scene == Scene::Title;
    if (scene == Scene::FullLoad || scene == Scene::ExplosionStarts) PlaceMonsters();
}

void BetweenFrames(Scene scene) {
    if (scene == Scene::Baseline || scene == Scene::Title) return;
    KeepMonstersStill();
    if (scene == Scene::EmptyPlay) return;
    if (scene == Scene::ExplosionStarts) {
        g_explosions.clear();
        g_bullets.clear();
    }
    if (g_explosions.empty()) AimShotAtMonster();
    TopUpStream();
}

namespace {

int MonstersInView() {
    int n = 0;
    for (const auto& m : g_monsters)
        n += m->InGame() && g_frustum.CubeInside(m->position.x, m->position.y, m->position.z, 0.5f * m->boxHalfWidth);
    return n;
}

void Frame(Scene scene) {
    if (scene == Scene::Baseline)
        DrawBaseline();
    else
        RunFrame();
    glFinish();
}

}  // namespace

const char* SceneName(Scene scene) {
    switch (scene) {
    case Scene::Baseline: return "baseline";
    case Scene::Title: return "title";
    case Scene::EmptyPlay: return "empty play";
    case Scene::FullLoad: return "full load";
    case Scene::ExplosionStarts: return "explosion starts";
    case Scene::Count: break;
    }
    return "?";
}

SceneResult RunScene(Scene scene, int frames) {
    SceneResult r;
    EnterScene(scene);
    for (int i = 0; i < std::min(kWarmFrames, frames); ++i) {
        BetweenFrames(scene);
        Frame(scene);
    }

    r.frameMs.reserve(size_t(frames));
    for (int i = 0; i < frames; ++i) {
        BetweenFrames(scene);
        const size_t bursts = g_explosions.size();
        const double cpu0 = CpuMs();
        StartCounting(false);
        const auto t0 = Clock::now();
        Frame(scene);
        const auto t1 = Clock::now();
        const AllocCounts c = StopCounting();
        r.cpuMs += CpuMs() - cpu0;
        r.timed.calls += c.calls;
        r.timed.newCalls += c.newCalls;
        const double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
        r.frameMs.push_back(ms);
        if (g_explosions.size() > bursts) {
            ++r.explosionsStarted;
            r.explosionFramesMs += ms;
        }
    }

    r.monstersInView = MonstersInView();
    ClearSites();
    r.sampledFrames = std::min(kSampledFrames, frames);
    for (int i = 0; i < r.sampledFrames; ++i) {
        BetweenFrames(scene);
        StartCounting(true);
        Frame(scene);
        const AllocCounts c = StopCounting();
        r.sampled.calls += c.calls;
        r.sampled.newCalls += c.newCalls;
        for (int k = 0; k < int(Owner::Count); ++k) r.sampled.by[k] += c.by[k];
    }
    r.siteCount = TakeSites(true, r.sites, kMaxSitesShown / 2);
    r.siteCount += TakeSites(false, r.sites + r.siteCount, kMaxSitesShown - r.siteCount);
    g_bullets.clear();
    g_explosions.clear();
    return r;
}

void FinishFrame() {
    RunFrame();
    glFinish();
}

}  // namespace bench
