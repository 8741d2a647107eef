#include "app/startup.h"

#include "app/flow.h"
#include "camera/camera.h"
#include "core/asset_file.h"
#include "core/sound.h"
#include "core/state.h"
#include "gl/gl_compat.h"
#include "monsters/monster.h"
#include "scenery/overlay.h"
#include "scenery/sky_cache.h"
#include "scenery/skybox.h"
#include "scenery/terrain.h"
#include "text/glf_font.h"
#include "world/bullet.h"
#include "world/explosion.h"

void InitGame() {
    ResetProgramState();
    // Name 0 is GL's default texture: the font needs no name of its own,
    // except where GL has no default to fill.
    g_font.Load("data/f.glf", FontTextureName());
    PlaceCameraAtStart();
    g_terrain->Load("data/t1.bmp");
    g_overlay.Load();
    CreateMonsters();
    g_skyTexture.Load("data/sky.bmp");
    LoadParticleSprite();
    PlaceMonstersAtStart();
    StartSound();
}

void ShutdownGame() {
    StopSound();
    g_bullets.clear();
    ReleaseBulletSphere();
    g_font.Release();
    g_skyTexture.Release();
    g_skyCache.Release();
    g_terrain->Release();
    // While the context is still current, so their texture names go too.
    g_explosions.clear();
    ReleaseParticleSprite();
    g_monsters.clear();
}
