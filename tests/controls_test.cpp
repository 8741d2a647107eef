// Player controls, shots and bullets, frame by frame with the real world pass.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "core/settings.h"
#include "core/sound.h"
#include "game_fixture.h"
#include "platform/dialog.h"
#include "scenery_fixture.h"

using platform::Key;

namespace {

class Controls : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        script::SetFrameCost(20);  // one frame every 20 ms
        scratch_.WriteSounds({"data/bulletFire.wav", "data/ugh.wav"});
        StartSound();
        StartPlay();
        script::ClearLog();
    }
    ScratchDir scratch_;
};

}  // namespace

// A tap only arms the fire timer; the next press after it ran out fires above the eye at once.
TEST_F(Controls, ATapArmsTheTimerThenAPressFiresAboveTheEye) {
    Press({Key::Control}, 10);
    EXPECT_TRUE(g_bullets.empty());
    PlayFor(800);
    script::HoldKey(Key::Control, true);
    const float eyeY = g_camera.position.y;
    RunFrame();
    ASSERT_EQ(g_bullets.size(), 1u);
    // Fired during controls, moved 10 along -z in the same pass.
    const Bullet& b = *g_bullets[0];
    EXPECT_EQ((std::vector<float>{b.position.x, b.position.y, b.position.z, b.direction.z}),
              (std::vector<float>{234, eyeY + 10, -329, 1}));
}

TEST_F(Controls, EscapeOpensThePauseDialogOncePerPressAndItsQuitPostsTheQuit) {
    Press({Key::Escape}, 10);
    EXPECT_EQ(script::CountLog("dialog"), 1);
    EXPECT_FALSE(g_inTitle) << "Resume continues play";
    RunFrame();
    // Released while the dialog is up: the next frame's press pauses again.
    script::OnDialog([] { script::HoldKey(Key::Escape, false); });
    for (int press = 2; press <= 3; ++press) {
        script::HoldKey(Key::Escape, true);
        RunFrame();
        EXPECT_EQ(script::CountLog("dialog"), press);
    }
    script::AnswerDialog(platform::kDialogSecondButton);
    Press({Key::Escape});
    EXPECT_EQ(script::LogLines("quit"), std::vector<std::string>{"quit 0"});
}

TEST_F(Controls, OpposingKeysCancelAndTurningKeepsWalkingAndBulletSpeed) {
    const Vector3 p = g_camera.position;
    Press({Key::Up, Key::Down, Key::Left, Key::Right});
    const Vector3 w = g_camera.target - g_camera.position;
    EXPECT_FLOAT_EQ(g_camera.position.x, p.x);
    EXPECT_FLOAT_EQ(g_camera.position.z, p.z);
    EXPECT_NEAR(std::atan2(w.x, -w.z), 0.0, 1e-4);

    // 262 frames of about 1.375 degrees, a little more than a full turn, firing all the way round.
    Press({Key::Left, Key::Control}, 262);
    const Vector3 v = g_camera.target - g_camera.position;
    EXPECT_NEAR(std::atan2(-v.x, -v.z), 0.3 * M_PI / 180.0, 0.002);
    const Vector3 eye = g_camera.position, shot = g_bullets.back()->position;
    Press({Key::Up});
    EXPECT_NEAR(std::hypot(g_camera.position.x - eye.x, g_camera.position.z - eye.z), 4.0, 0.002);
    EXPECT_NEAR(Magnitude(g_bullets.back()->position - shot), 10.0, 0.005);
}

TEST_F(Controls, WalkingOffTheEdgeShowsTheFellDialogAndResetsToTheStartView) {
    script::HoldKey(Key::Down, true);  // backwards, toward z = 0
    int frames = 0;
    for (; script::CountLog("dialog") == 0 && frames < 200; ++frames) RunFrame();
    EXPECT_EQ(frames, 80) << "319 units at 4 a frame";
    const auto& log = script::Log();
    const auto ugh = std::find(log.begin(), log.end(), "sound play data/ugh.wav");
    ASSERT_TRUE(ugh != log.end() && ugh + 1 != log.end());
    EXPECT_EQ(ugh[1].rfind("dialog Orvanthe lev 0|&New Game|&Quit|Game Over|Opps", 0), 0u) << "ugh, then the box";
    EXPECT_TRUE(g_inTitle);
    const Camera& c = g_camera;
    EXPECT_EQ((std::vector<float>{c.position.x, c.position.y, c.position.z, c.target.x, c.target.y, c.target.z, c.up.x,
                                  c.up.y, c.up.z}),
              (std::vector<float>{234, -155, -319, 234, -155, -320, 0, 1, 0}));
    // Back on the title the pointer is released on the next frame.
    script::ClearLog();
    RunFrame();
    EXPECT_EQ(script::CountLog("capture off"), 1);
}

TEST_F(Controls, BulletsLeaveWhenOutsideThePlayBoxAndOnTheTitle) {
    // Standing still; (2000, -2000) is inside. Beyond 1982.5 above, 2155 below (2005 from any eye), unseen.
    const Vector3 at[] = {{2000.5f, 0, -100},   {-300, 0, -100},   {2000, 0, -2000},      {500, 0, 200.5f},
                          {100, 1982.5f, -100}, {100, 1983, -100}, {100, -2155.5f, -100}, {100, 0, -100}};
    for (const Vector3& p : at) StillBulletAt(p);
    RunFrame();
    ASSERT_EQ(g_bullets.size(), 3u);
    EXPECT_EQ((std::vector<float>{g_bullets[0]->position.x, g_bullets[1]->position.y, g_bullets[2]->position.x}),
              (std::vector<float>{2000, 1982.5f, 100}));

    g_inTitle = true;
    RunFrame();
    EXPECT_TRUE(g_bullets.empty());
}

TEST_F(Controls, ABulletIsALitRedSphere) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    Bullet b;
    b.Aim(Vector3(0, -10, 0), Vector3(0, -10, -1));  // starts at (0, 0, 0), moves to (0, 0, -10)
    b.direction = b.direction * 2.0f;                // first step: 20 units
    b.Move();
    b.Draw();
    // Radius 5 at distance 20 reaches about 187 pixels from the centre.
    const Pixel centre = ReadPixel(400, 300), rim = ReadPixel(400 + 183, 300);
    EXPECT_TRUE(centre.r > 230 && centre.g < 20 && centre.b < 20);
    EXPECT_GT(rim.r, 20) << "still on the sphere";
    EXPECT_LT(rim.r, centre.r - 60) << "lit: the rim faces away from the light";
    EXPECT_TRUE(Near(ReadPixel(400 + 260, 300), {0, 0, 255})) << "the blue clear colour around it";
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_TEXTURE_2D));
}

namespace {
// What GL makes of a drawing, as feedback: every polygon's corners in window space with their lit colours.
std::vector<GLfloat> Feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    buffer.resize(used > 0 ? size_t(used) : 0);
    return buffer;
}
}  // namespace

// The sphere laid out once is GLU's, corner for corner and colour for colour, seen from the side and from a pole.
TEST_F(Controls, ABulletDrawsTheVerySphereGluDraws) {
    GLUquadric* quadric = gluNewQuadric();
    ASSERT_NE(quadric, nullptr);
    for (const Vector3 eye : {Vector3(3, 4, 30), Vector3(0.5f, 25, -20)}) {
        SCOPED_TRACE(eye.y);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, 0, 0, -20, 0, 1, 0);
        Bullet b;
        b.Aim(Vector3(0, -10, -20), Vector3(0, -10, -20));  // stands at (0, 0, -20)
        const std::vector<GLfloat> ours = Feedback([&b] { b.Draw(); });
        const std::vector<GLfloat> glus = Feedback([quadric] {
            glPushMatrix();
            glTranslatef(0, 0, -20);
            glColor3ub(255, 0, 0);
            glEnable(GL_LIGHT0);
            glEnable(GL_LIGHTING);
            gluSphere(quadric, 5.0, 20, 20);
            glDisable(GL_LIGHT0);
            glDisable(GL_LIGHTING);
            glPopMatrix();
        });
        // Each triangle: a token, a count and three corners of seven values.
        EXPECT_GT(ours.size(), 700u * 23u);
        EXPECT_TRUE(ours == glus) << ours.size() << " values against " << glus.size();
    }
    gluDeleteQuadric(quadric);
}

// A stick pushed 0.15 of its way walks (left stick) and looks (right stick) past a dead zone of 10 %, not of 25 %,
// and 0.3 of the way past either; pulled back, it stops at once.
TEST_F(Controls, TheStickDeadZoneIsThePlayers) {
    struct Restore {
        ~Restore() { g_settings = Settings(); }
    } restore;
    const std::tuple<int, float, bool> cases[] = {{10, 0.15f, true},  {25, 0.15f, false}, {25, 0.3f, true},
                                                  {10, 0.09f, false}, {60, 0.5f, false},  {5, 0.06f, true}};
    for (const auto& [percent, push, moves] : cases) {
        SCOPED_TRACE(std::to_string(percent) + "% " + std::to_string(push));
        g_settings.stickDeadZone = percent;
        for (const bool look : {false, true}) {
            platform::PadAxes pad;
            (look ? pad.rightX : pad.leftY) = -push;  // forward, or look left
            script::SetPadAxes(pad);
            const Vector3 eye = g_camera.position, view = g_camera.target - g_camera.position;
            RunFrame();
            const Vector3 turned = g_camera.target - g_camera.position;
            const float walked = std::hypot(g_camera.position.x - eye.x, g_camera.position.z - eye.z);
            const float yaw = std::atan2(-turned.x, -turned.z) - std::atan2(-view.x, -view.z);
            EXPECT_EQ(walked > 0.0f, moves && !look) << walked;
            EXPECT_EQ(yaw > 0.0f, moves && look) << yaw;
            script::SetPadAxes({});
            const Vector3 stopped = g_camera.position;
            RunFrame();
            EXPECT_TRUE(g_camera.position.x == stopped.x && g_camera.position.z == stopped.z);
        }
    }
}
