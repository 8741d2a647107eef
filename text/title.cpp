// Title screen layout: each line has its own uniform scale, with the
// translation applied inside it, so a line's top-left corner lands at
// scale * translation.
#include "text/title.h"

#include <GL/gl.h>

#include <string>

#include "core/pad_names.h"
#include "gl/gl_state.h"
#include "platform/input.h"

namespace {

struct TitleLine {
    const char* text;
    float scale;
    float x, y;
};

const TitleLine kLines[] = {
    {"Quillmarr", 10.0f, 13.0f, 53.0f},          {"Orvanthe    lev 0", 25.0f, 5.0f, 20.0f},
    {"ENTER to begin", 7.0f, 80.0f, 10.0f},      {"CONTROL to shoot", 7.0f, 80.0f, 7.0f},
    {"Stay in the platform", 7.0f, 80.0f, 4.0f},
};
// Beside the instructions, on the last one's line, at the left edge; with
// a pad in hand it names the pad's button too, as the pad prints it.
const TitleLine kOptionsHint = {"O for options", 7.0f, 2.0f, 4.0f};
// Over the hint, on the middle instruction's line: the left edge keeps what
// is the player's own, the right what the game asks of them.
const TitleLine kBestTime = {"", 7.0f, 2.0f, 7.0f};

}  // namespace

void DrawTitle(const GlfFont& font, const std::string& bestTime) {
    glColor3d(1.0, 1.0, 1.0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const Screen2D pass(0.0, 800.0, 0.0, 600.0, -1.0, 1.0);
    const platform::PadLayout pad = platform::GetPadLayout();
    const std::string hint = pad == platform::PadLayout::None
                                 ? kOptionsHint.text
                                 : std::string("O or ") + PadButtonLabel(platform::Key::PadY, pad) + " for options";
    const auto draw = [&font](const TitleLine& line, const char* text) {
        glPushMatrix();
        font.Begin();
        glScalef(line.scale, line.scale, line.scale);
        glTranslatef(line.x, line.y, 0.0f);
        GlfFont::DrawString(text, 0.0f, 0.0f, 0.0f);
        GlfFont::End();
        glPopMatrix();
    };
    for (const TitleLine& line : kLines) draw(line, line.text);
    draw(kOptionsHint, hint.c_str());
    if (!bestTime.empty()) draw(kBestTime, bestTime.c_str());
    // Handed to the next frame, whose sky it tints.
    glColor3d(1.0, 0.0, 0.0);
}
