// A pad's buttons named as its maker prints them, the browser's pads told apart by their ids.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/pad_names.h"
#include "platform/web/gamepad_id.h"

using platform::Key;
using platform::PadLayout;

namespace {
constexpr PadLayout kLayouts[] = {PadLayout::None, PadLayout::Xbox, PadLayout::PlayStation, PadLayout::Nintendo};
}  // namespace

// Every pad button has a name on every pad, no two alike on one pad; no other key has one.
TEST(PadNames, EveryPadButtonAndOnlyThoseHasANameOfItsOwn) {
    for (PadLayout layout : kLayouts) {
        SCOPED_TRACE(int(layout));
        std::set<std::string> names;
        int named = 0;
        for (int i = 0; i < platform::kKeyCount; ++i) {
            const Key key = Key(i);
            const bool isPad = std::string(platform::KeyIdentifier(key)).rfind("Pad", 0) == 0;
            const char* name = PadButtonLabel(key, layout);
            EXPECT_EQ(name != nullptr, isPad) << platform::KeyIdentifier(key);
            if (!name) continue;
            ++named;
            EXPECT_TRUE(names.insert(name).second) << name << " twice";
        }
        EXPECT_EQ(named, 14);
        for (PadAxisName axis :
             {PadAxisName::LeftStick, PadAxisName::RightStick, PadAxisName::LeftTrigger, PadAxisName::RightTrigger})
            EXPECT_TRUE(names.insert(PadAxisLabel(axis, layout)).second) << PadAxisLabel(axis, layout);
    }
    // Without a pad the names are those of the layout the buttons follow.
    EXPECT_STREQ(PadButtonLabel(Key::PadY, PadLayout::None), "Y");
    EXPECT_STREQ(PadAxisLabel(PadAxisName::RightTrigger, PadLayout::None), "RT");
}

// The hint names the confirm and back buttons as printed; the pad's own A confirms on a Nintendo pad too.
TEST(PadNames, TheHintNamesTheConfirmAndBackButtonsAsPrinted) {
    const std::tuple<PadLayout, const char*, Key> cases[] = {
        {PadLayout::None, "", Key::PadA},
        {PadLayout::Xbox, "A Resume   B Quit", Key::PadA},
        {PadLayout::PlayStation, "Cross Resume   Circle Quit", Key::PadA},
        {PadLayout::Nintendo, "A Resume   B Quit", Key::PadB},
    };
    for (const auto& [layout, hint, confirm] : cases) {
        EXPECT_EQ(ConfirmBackHint(layout, "Resume", "Quit"), hint) << int(layout);
        EXPECT_EQ(PadConfirmButton(layout), confirm) << int(layout);
        EXPECT_NE(PadBackButton(layout), confirm) << int(layout);
    }
}

// The ids Chromium and Firefox give pads; a Sony or Nintendo vendor number elsewhere in the id is a product's.
TEST(GamepadId, TheBrowsersIdSaysWhoMadeThePad) {
    const std::pair<const char*, PadLayout> cases[] = {
        {"Xbox 360 Controller (XInput STANDARD GAMEPAD)", PadLayout::Xbox},
        {"045e-02ea-Microsoft X-Box One S pad", PadLayout::Xbox},
        {"DualSense Wireless Controller (STANDARD GAMEPAD Vendor: 054c Product: 0ce6)", PadLayout::PlayStation},
        {"Wireless Controller (STANDARD GAMEPAD Vendor: 054C Product: 09cc)", PadLayout::PlayStation},
        {"054c-05c4-Sony Computer Entertainment Wireless Controller", PadLayout::PlayStation},
        {"PLAYSTATION(R)3 Controller", PadLayout::PlayStation},
        {"Pro Controller (STANDARD GAMEPAD Vendor: 057e Product: 2009)", PadLayout::Nintendo},
        {"057e-2006-Joy-Con (L)", PadLayout::Nintendo},
        {"Nintendo Switch Pro Controller", PadLayout::Nintendo},
        {"Generic pad (Vendor: 1234 Product: 054c)", PadLayout::Xbox},
        {"2dc8-054c-8BitDo", PadLayout::Xbox},
        {"", PadLayout::Xbox},
        {nullptr, PadLayout::Xbox},
    };
    for (const auto& [id, layout] : cases) EXPECT_EQ(platform::LayoutFromGamepadId(id), layout) << (id ? id : "null");
}
