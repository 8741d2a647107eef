// A monster: an animated MD2 model with its skin, where it stands and where
// it heads, its collision box, hit points, and the timers that wake it and
// step its animation. A monster whose model did not load is never drawn,
// moved, hit or able to catch anyone; it simply is not there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "camera/vector3.h"
#include "core/tick_timer.h"
#include "monsters/md2.h"
#include "scenery/texture.h"

struct Md2Uv {
    float s = 0.0f;
    float t = 0.0f;
};

constexpr int32_t kIdleAnimation = 1;
constexpr int32_t kHuntingAnimation = 40;
constexpr int32_t kAnimationLength = 6;
constexpr uint32_t kAnimationIntervalMs = 60;
constexpr uint32_t kHuntDelayMs = 3000;
constexpr int32_t kFirstGameHitPoints = 7;
constexpr int32_t kNewGameHitPoints = 20;
constexpr float kMonsterLift = 23.0f;  // origin above the terrain
constexpr int32_t kBoundsKeyframe = 40;
constexpr const char* kMonsterSkin = "data/model.bmp";
constexpr const char* kMonsterModel = "data/tris2.md2";

class Monster {
public:
    Texture skin;
    Md2Header header;
    std::vector<Md2Triangle> triangles;
    std::vector<Vector3> vertices;  // num_frames * num_xyz
    std::vector<Md2Uv> texCoords;   // fractions of the skin's size
    // The triangles' corners as drawn, three a triangle in the order 0, 2,
    // 1: which vertex of a keyframe each is, and its texture coordinates.
    std::vector<uint16_t> cornerVertices;
    std::vector<Md2Uv> cornerTexCoords;
    Vector3 boundsMax;
    Vector3 boundsMin;
    Vector3 position;
    Vector3 toTarget;
    bool hunting = false;
    int32_t animStart = kIdleAnimation;
    int32_t animFrame = 0;
    float boxHalfHeight = 0.0f;
    float boxHalfWidth = 0.0f;
    TickTimer animTimer;
    // Before the first aim; start-up turns monsters toward the player.
    float heading = 90.0f;
    int32_t hitPoints = kFirstGameHitPoints;
    TickTimer huntDelay;  // started at the first frame in view, never again
    Vector3 flatToTarget;

private:
    // The corners' positions in the keyframe last drawn: a keyframe shows
    // for three ticks and many frames, so it is laid out once.
    mutable std::vector<Vector3> cornerPositions_;
    mutable int32_t laidOutKeyframe_ = -1;

public:
    Monster() = default;
    ~Monster();
    Monster(const Monster&) = delete;
    Monster& operator=(const Monster&) = delete;

    // Loads the skin (the game's is "data/model.bmp"), then the MD2 file,
    // and works out the collision box. False, with one line on stderr per
    // bad file, when either is unusable; the monster then has no model.
    bool LoadModel(const std::string& md2Path, const std::string& skinPath = kMonsterSkin);
    void ComputeBounds();
    void ReleaseModel();
    bool HasModel() const { return !vertices.empty(); }
    // Still playing: has a model and at least one hit point.
    bool InGame() const { return HasModel() && hitPoints >= 1; }

    // What the last tick left to be drawn: whether the monster was in view
    // then, where it stood, which way it faced and the keyframe it showed.
    bool shownInView = false;
    Vector3 shownPosition;
    float shownHeading = 90.0f;
    int32_t shownKeyframe = kIdleAnimation;
    // The tick before's, to draw between them.
    bool previousShownInView = false;
    Vector3 previousShownPosition;
    float previousShownHeading = 90.0f;

    void SetAnimation(int32_t startFrame) { animStart = startFrame; }
    // True exactly when this call found the timer idle and started it.
    bool AnimationTimerTick(uint32_t intervalMs);
    // The keyframe on show now (the animation's start plus its step); then
    // the animation steps when due.
    int32_t StepAnimation();
    // That keyframe in the current transform. Draws nothing without a
    // model, or for a keyframe the model lacks.
    void DrawKeyframe(int32_t keyframe) const;
    // The shown keyframe where the monster stood, turned as it faced; `alpha`
    // of the way from the tick before where it was in view then too.
    void DrawShown(float alpha = 1.0f) const;

    void Place(float x, float y, float z);
    void UpdateHunting();
    void AimAt(Vector3 target);
    void Advance();
    void UpdateHeading();
    // Strict box test against a box of the given half-sizes around point;
    // always false without a model.
    bool Overlaps(const Vector3& point, int32_t halfWidth, int32_t halfHeight) const;
};

extern const Vector3 kMonsterStarts[3];
extern const Vector3 kMonsterParking;

// Start-up: three monsters, each with its own copy of the model.
void CreateMonsters();
// Start-up's placement: start positions, facing the player's start.
void PlaceMonstersAtStart();
// The new-game reset: start positions, not hunting, 20 hit points; the
// heading is left as it was.
void ResetMonsters();
// The win rule's test. A monster without a model is left out; with no
// model at all the game cannot be won (it still ends by a fall). Otherwise
// true when every monster with a model is below 1 hit point.
bool AllMonstersDefeated();
// Monsters with a model and at least 1 hit point: what the player has
// still to kill, as the win rule counts them.
int MonstersLeft();

// The tick's monster pass: in-view monsters stand on the terrain, wake,
// chase, step their animation and are noted to be drawn.
void UpdateMonsters();
// Every monster the last tick noted in view, in index order.
void DrawMonsters(float alpha = 1.0f);
