// The definitions of core/state.h, and the one reset.
#include "core/state.h"

#include "app/demos.h"
#include "app/display.h"
#include "app/flow.h"
#include "camera/camera.h"
#include "camera/frustum.h"
#include "camera/matrices.h"
#include "core/asset_file.h"
#include "core/settings.h"
#include "monsters/monster.h"
#include "scenery/overlay.h"
#include "scenery/sky_cache.h"
#include "scenery/terrain.h"
#include "scenery/texture.h"
#include "text/dialog_ui.h"
#include "text/glf_font.h"
#include "world/bullet.h"
#include "world/explosion.h"

bool g_inTitle = false;
bool g_firstFrame = false;
uint32_t g_gameTime = 0;
int g_lapTicksLeft = 0;
char g_windowTitle[256] = "";

TickInput g_tickInput;
platform::Presses& g_presses = g_tickInput.presses;

Camera g_camera;
Frustum g_frustum;
std::vector<std::unique_ptr<Bullet>> g_bullets;
std::vector<std::unique_ptr<Explosion>> g_explosions;
TickTimer g_fireTimer;
TickTimer g_hitTimer{true, 0};
TickTimer g_hitMark;
Random g_random(kWorldSeed);
Camera g_shownView;
Camera g_previousShownView;

std::vector<std::unique_ptr<Monster>> g_monsters;

Terrain* g_terrain = new Terrain();
Texture g_skyTexture;
SkyCache g_skyCache;
Texture g_particleTexture;
ScreenOverlay g_overlay;
GlfFont g_font;
const GlfFont* g_currentFont = nullptr;

platform::SoundSample* g_bulletFireSample = nullptr;
platform::SoundSample* g_explodeSample = nullptr;
platform::SoundSample* g_ughSample = nullptr;
platform::MusicStream* g_musicStream = nullptr;
bool g_muted = false;

Matrix4 g_projection;
int g_viewportWidth = 0;
int g_viewportHeight = 0;
Matrix4 g_ruleProjection;

Settings g_settings;

void ResetProgramState() {
    // Each run, and each test, names its unreadable files afresh.
    ForgetReportedAssetProblems();
    g_inTitle = false;
    g_firstFrame = false;
    g_gameTime = 0;
    g_lapTicksLeft = 0;
    g_windowTitle[0] = '\0';

    g_tickInput = TickInput();
    ForgetDemos();
    ForgetFullscreenToggle();
    ForgetGameClock();

    g_camera = Camera();
    g_frustum = Frustum();
    g_bullets.clear();
    ReleaseBulletSphere();
    g_explosions.clear();
    ForgetPresentedFrame();
    g_fireTimer = TickTimer();
    g_hitTimer = TickTimer{true, 0};
    g_hitMark = TickTimer();
    g_random = Random(kWorldSeed);
    g_shownView = Camera();
    g_previousShownView = Camera();

    g_monsters.clear();

    *g_terrain = Terrain();
    g_skyTexture = Texture();
    g_skyCache = SkyCache();
    g_particleTexture = Texture();
    g_overlay = ScreenOverlay();
    g_font = GlfFont();
    g_currentFont = nullptr;

    g_bulletFireSample = nullptr;
    g_explodeSample = nullptr;
    g_ughSample = nullptr;
    g_musicStream = nullptr;
}
