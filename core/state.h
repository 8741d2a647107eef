// Every program-wide object, declared here and nowhere else. Types are only
// named: include the owner's header to use an object. app/state.cpp defines
// them all, and ResetProgramState() puts them back as the program starts;
// start-up and every test fixture call it.
//
// | object                     | owner (who changes it)      | lifetime, who refills it      |
// |----------------------------|-----------------------------|-------------------------------|
// | g_inTitle, g_firstFrame    | app/flow (frame driver)     | run                           |
// | g_gameTime                 | app/flow (before each tick) | run                           |
// | g_lapTicksLeft             | app/flow (victory lap)      | run                           |
// | g_windowTitle              | app/flow (caption)          | run                           |
// | g_tickInput, g_presses     | app/demos (before each tick)| run; read by the tick's rules |
// | g_camera                   | world/controls, app/flow    | run; NewGame re-places it     |
// | g_frustum                  | world (each frame of play)  | run                           |
// | g_bullets                  | world/controls, world       | run; the title screen clears  |
// | g_explosions               | world (hits)                | run; each ends after 800 ms   |
// | g_fireTimer                | world/controls              | run                           |
// | g_hitTimer                 | world (hits)                | run                           |
// | g_hitMark                  | world (hits)                | run; read by the HUD's drawing|
// | g_random                   | world/explosion             | run; seeded as at start       |
// | g_shownView, g_previous... | world (each tick of play)   | run                           |
// | g_monsters                 | monsters                    | InitGame .. ShutdownGame      |
// | g_terrain                  | scenery/terrain             | InitGame .. ShutdownGame      |
// | g_skyTexture, g_overlay    | scenery                     | InitGame .. ShutdownGame      |
// | g_skyCache                 | scenery (the sky's copy)    | first sky .. ShutdownGame     |
// | g_particleTexture          | world/explosion (sprite)    | InitGame .. ShutdownGame      |
// | g_font, g_currentFont      | text                        | InitGame .. ShutdownGame      |
// | the four sounds            | core/sound                  | StartSound .. StopSound       |
// | g_projection,              | app (SetProjection)         | the window's: set with its    |
// |   g_viewportWidth, ..Height|                             |   size, not by the reset      |
// | g_ruleProjection           | app (SetProjection, replay) | the window's, or the demo's   |
// | g_settings                 | core/settings, app (options)| run; read before the window   |
// | g_muted                    | app (M, --mute)             | run; set before the window    |
//
// ResetProgramState() empties the asset objects without touching GL or the
// mixer: release them first (ShutdownGame, StopSound) where that matters.
// The GL objects one file keeps for itself (the frame kept for the pause,
// the bullet's sphere) it frees in the current context, as ShutdownGame does.
// g_settings and g_muted belong to the player and this run, are settled
// before start-up runs the reset, and are left alone; so are the projection
// and viewport, which belong to the window. State that one file
// alone uses lives in that file; the reset calls its Forget... function.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/demo.h"
#include "core/random.h"
#include "core/tick_timer.h"
#include "platform/input.h"
#include "platform/sound.h"

class Bullet;
class Camera;
class Explosion;
class Frustum;
struct Matrix4;
class GlfFont;
class Monster;
class ScreenOverlay;
class SkyCache;
struct Settings;
class Terrain;
class Texture;

// The frame driver.
extern bool g_inTitle;
extern bool g_firstFrame;
// The game's clock: the time of the tick running (or last run), in ms, which
// every game timer reads.
extern uint32_t g_gameTime;
extern int g_lapTicksLeft;  // ticks of the victory lap still to run; 0 outside it
extern char g_windowTitle[256];
// What the running tick reads from the player (app/demos: the player's,
// or a demo's): keys held, mouse motion, pad axes, and the presses since
// the tick before, which g_presses names.
extern TickInput g_tickInput;
extern platform::Presses& g_presses;

// The player and the world of play.
extern Camera g_camera;
extern Frustum g_frustum;
// Live shots in firing order; removing an entry destroys the bullet.
extern std::vector<std::unique_ptr<Bullet>> g_bullets;
extern std::vector<std::unique_ptr<Explosion>> g_explosions;
extern TickTimer g_fireTimer;  // 700 ms between shots
extern TickTimer g_hitTimer;   // 500 ms between hits, armed at start
// Armed at the tick of the last damaging hit, while the crosshair shows it.
extern TickTimer g_hitMark;
// Every random number the world draws; seeded kWorldSeed at start.
extern Random g_random;
// The view as the last tick's rules saw it, after turning and before the eye
// follows the ground: what that tick's picture shows.
extern Camera g_shownView;
extern Camera g_previousShownView;  // the tick's before, to draw between them

// Always three after start-up, visited in the order 0, 1, 2.
extern std::vector<std::unique_ptr<Monster>> g_monsters;

// Scenery and text.
extern Terrain* g_terrain;  // the heightmap platform; never null
extern Texture g_skyTexture;
extern SkyCache g_skyCache;        // the sky drawn once, copied after
extern Texture g_particleTexture;  // every burst's sprite
extern ScreenOverlay g_overlay;
extern GlfFont g_font;
extern const GlfFont* g_currentFont;  // between Begin and End

// Sounds; null when missing or without a device (then silent).
extern platform::SoundSample* g_bulletFireSample;
extern platform::SoundSample* g_explodeSample;
extern platform::SoundSample* g_ughSample;
extern platform::MusicStream* g_musicStream;
extern bool g_muted;  // all sound silent (M, --mute)

// The projection GL draws with and the rules' frustum is cut from, and the
// viewport it was made for (camera/matrices.h).
extern Matrix4 g_projection;
extern int g_viewportWidth;
extern int g_viewportHeight;
// The projection the monsters' frustum is cut from: g_projection, except
// in a replay, where the recording's view decides who is in sight.
extern Matrix4 g_ruleProjection;

// The player's settings (core/settings.h).
extern Settings g_settings;

// Every object above as at program start.
void ResetProgramState();
