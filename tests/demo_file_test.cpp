// Demo files: every record reads back as written, the hidden ticks are patched in place, every kind of bad
// file is refused with a reason naming it, and an hour of play stays small.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "core/demo.h"
#include "core/settings.h"

using platform::Key;

namespace {

const char kVersion[] = "1.4.2";

std::string Header(const std::string& version = kVersion, uint32_t hidden = 0) {
    std::string out;
    WriteDemoHeader({version, 77, 1234, hidden}, &out);
    return out;
}

std::string SettingsRecord(const std::function<void(RuleSettings&)>& change = nullptr) {
    RuleSettings s;
    if (change) change(s);
    std::string out;
    WriteDemoSettings(s, &out);
    return out;
}

// A settings record whose bindings text is `text`, the rest the defaults.
std::string SettingsWithText(const std::string& text) {
    const std::string fixed = SettingsRecord().substr(0, 15);
    std::string length;
    for (size_t n = text.size(); length.empty() || n; n >>= 7) length += char((n & 0x7F) | (n > 0x7F ? 0x80 : 0));
    return fixed + length + text;
}

std::string Tick(const std::function<void(TickInput&)>& change) {
    TickInput tick;
    change(tick);
    std::string out;
    WriteDemoTick(tick, TickInput(), &out);
    return out;
}

std::string End() {
    std::string out;
    WriteDemoEnd(&out);
    return out;
}

// A literal's bytes, NULs and all.
template <size_t N>
std::string Raw(const char (&bytes)[N]) {
    return std::string(bytes, N - 1);
}

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// Writes the events after a header, ticks as changes to the tick before.
std::string Encode(const std::string& header, const std::vector<DemoEvent>& events) {
    std::string out = header;
    TickInput previous;
    for (const DemoEvent& e : events) {
        switch (e.record) {
        case DemoRecord::Settings: WriteDemoSettings(e.settings, &out); break;
        case DemoRecord::Tick: WriteDemoTick(e.tick, previous, &out), previous = e.tick; break;
        case DemoRecord::Answer: WriteDemoAnswer(e.answer, e.boxMs, &out); break;
        case DemoRecord::End: WriteDemoEnd(&out); break;
        }
    }
    return out;
}

void ExpectReadsBack(const std::string& bytes, const std::vector<DemoEvent>& events) {
    DemoReader reader;
    std::string reason;
    ASSERT_TRUE(reader.Open(bytes, kVersion, &reason)) << reason;
    uint32_t ticks = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        ASSERT_TRUE(SameRecord(reader.Next(), events[i])) << "record " << i;
        ticks += events[i].record == DemoRecord::Tick;
    }
    EXPECT_EQ(reader.tickCount(), ticks);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(reader.Next().record, DemoRecord::End) << "End, and End again";
}

DemoEvent TickEvent(const TickInput& tick) {
    DemoEvent e;
    e.record = DemoRecord::Tick;
    e.tick = tick;
    return e;
}

// Ticks that change each kind of input in turn, and change it back.
std::vector<DemoEvent> EveryKindOfChange() {
    std::vector<DemoEvent> events;
    DemoEvent settings;
    settings.record = DemoRecord::Settings;
    events.push_back(settings);
    TickInput t;
    events.push_back(TickEvent(t));  // idle first tick
    t.held.set(size_t(Key::W)).set(size_t(Key::MouseLeft)).set(size_t(Key::PadDpadRight));
    t.presses.count[int(Key::F11)] = 3;
    t.presses.withAlt[int(Key::F11)] = 2;
    t.presses.count[int(Key::MouseLeft)] = 1000;
    t.mouseX = -300;
    t.mouseY = 2147483647;
    t.pad = {-0.0f, 1e-45f, -1.0f, 1.0f, 0.5f, std::numeric_limits<float>::min()};
    events.push_back(TickEvent(t));
    t.held.reset(size_t(Key::W)).set(size_t(Key::A));
    t.presses = platform::Presses();
    t.mouseX = -2147483647 - 1;
    t.pad.leftX = 0.0f;  // -0 back to +0 is a change
    events.push_back(TickEvent(t));
    events.push_back(TickEvent(t));  // nothing changes, no presses
    DemoEvent answer;
    answer.record = DemoRecord::Answer;
    answer.answer = 3;
    answer.boxMs = 0xFFFFFFFFu;
    events.push_back(answer);
    settings.settings.mouseSensitivity = kMinMouseSensitivity;
    settings.settings.invertY = true;
    settings.settings.stickDeadZone = kMaxStickDeadZone;
    settings.settings.fieldOfView = kMaxFieldOfView;
    settings.settings.viewWidth = kMaxDemoViewSize;
    settings.settings.viewHeight = 1;
    Bind(&settings.settings.bindings, Action::Fire, 0, Input::OfKey(Key::Space));
    Bind(&settings.settings.bindings, Action::LookUp, 0, Input::OfAxis(PadAxis::RightStickUp));
    Unbind(&settings.settings.bindings, Action::Pause, Device::Keyboard, 1);
    events.push_back(settings);
    t = TickInput();
    t.presses.count[int(Key::Escape)] = 1;
    events.push_back(TickEvent(t));
    answer.answer = 1;
    answer.boxMs = 0;
    events.push_back(answer);
    events.push_back(DemoEvent());
    return events;
}

}  // namespace

// Header, settings (rebound too), every kind of tick change, answers and End all read back as written; pad
// floats to the bit.
TEST(DemoFile, EveryRecordReadsBackAsWritten) {
    const std::vector<DemoEvent> events = EveryKindOfChange();
    ASSERT_NE(events[6].settings.bindings, DefaultBindings());
    const std::string bytes = Encode(Header(kVersion, 5), events);
    ExpectReadsBack(bytes, events);

    DemoReader reader;
    std::string reason;
    ASSERT_TRUE(reader.Open(bytes, kVersion, &reason));
    EXPECT_EQ(reader.header().gameVersion, kVersion);
    EXPECT_EQ(reader.header().seed, 77u);
    EXPECT_EQ(reader.header().startTime, 1234u);
    EXPECT_EQ(reader.header().hiddenTicks, 5u);
    reader.Next();
    reader.Next();
    const platform::PadAxes pad = reader.Next().tick.pad;
    EXPECT_EQ(Bits(pad.leftX), Bits(-0.0f));
    EXPECT_EQ(Bits(pad.leftY), Bits(1e-45f));
    TickInput plus, minus;
    minus.pad.leftX = -0.0f;
    EXPECT_NE(plus, minus) << "a tick's equality is the pad's bits";
}

// Hidden ticks are patched into a copy, which reads back the same otherwise; what has no header is left alone.
TEST(DemoFile, WithHiddenTicksPatchesOnlyTheHeader) {
    const std::vector<DemoEvent> events = EveryKindOfChange();
    for (const std::string& version : std::vector<std::string>{"", "x", std::string(kMaxDemoVersionLength, 'v')}) {
        const std::string bytes = Encode(Header(version), events);
        const std::string hidden = WithHiddenTicks(bytes, 0xA1B2C3D4u);
        EXPECT_EQ(bytes, Encode(Header(version), events)) << "the original is untouched";
        EXPECT_EQ(hidden, Encode(Header(version, 0xA1B2C3D4u), events)) << version;
    }
    EXPECT_EQ(WithHiddenTicks("ORV", 9), "ORV");
    EXPECT_EQ(WithHiddenTicks("not a demo at all", 9), "not a demo at all");
}

// Each kind of bad file is refused with a plain reason naming that kind, and the reader then has nothing to hand out.
TEST(DemoFile, BadFilesAreRefusedWithTheirKind) {
    const std::string head = Header();
    const std::string settings = SettingsRecord();
    const std::string end = End();
    std::string lines;
    for (int a = 0; a < kActionCount; ++a) lines += FormatActionBindings(DefaultBindings(), Action(a)) + "\n";
    std::string otherFormat = head;
    otherFormat[4] = 2;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const char key = char(platform::kKeyCount);
    const struct {
        const char* what;
        std::string bytes;
        std::string reason;  // a part of it
    } kRows[] = {
        {"bad magic", "ORVX" + head.substr(4) + settings + end, "not a demo"},
        {"a short file of something else", "MZ", "not a demo"},
        {"another format", otherFormat + settings + end, "format version (2)"},
        {"another game", Header("0.2\x01\xff") + settings + end, "made by version 0.2?? of the game"},
        {"a version too long", Header().substr(0, 6) + char(33) + std::string(33, 'v'), "version name too long"},
        {"no End", head + settings, "cut short"},
        {"an unknown record", head + settings + Raw("\x13") + end, "unknown record (0x13)"},
        {"a held key past the list", head + settings + Raw("\x01\x01") + key + end, "key index out of range"},
        {"a pressed key past the list", head + settings + Raw("\x02\x01") + key + Raw("\x01\x00") + end,
         "key index out of range"},
        {"more keys than there are", head + settings + "\x01\xff\x01", "too many keys"},
        {"1001 presses", head + settings + Tick([](TickInput& t) { t.presses.count[0] = 1001; }) + end, "press count"},
        {"more with Alt than presses", head + settings + Raw("\x02\x01\x00\x01\x02") + end, "press count"},
        {"a key listed twice", head + settings + Raw("\x02\x02\x00\x01\x00\x00\x01\x00") + end, "pressed twice"},
        {"a varint past 32 bits", head + settings + Raw("\x04\xff\xff\xff\xff\x10\x00") + end, "number out of range"},
        {"sensitivity", head + SettingsRecord([](RuleSettings& s) { s.mouseSensitivity = 0.04f; }) + end,
         "sensitivity"},
        {"dead zone", head + SettingsRecord([](RuleSettings& s) { s.stickDeadZone = 61; }) + end, "dead zone"},
        {"field of view", head + SettingsRecord([](RuleSettings& s) { s.fieldOfView = 29.9f; }) + end, "field of view"},
        {"no width", head + SettingsRecord([](RuleSettings& s) { s.viewWidth = 0; }) + end, "view size"},
        {"invert 2", head + settings.substr(0, 5) + Raw("\x02") + settings.substr(6) + end, "invert"},
        {"NaN setting", head + SettingsRecord([=](RuleSettings& s) { s.fieldOfView = nan; }) + end, "not finite"},
        {"infinite pad", head + settings + Tick([=](TickInput& t) { t.pad.rightY = -inf; }) + end, "not finite"},
        {"a stick past 1", head + settings + Tick([](TickInput& t) { t.pad.leftX = 1.01f; }) + end, "pad axis"},
        {"a trigger below 0", head + settings + Tick([](TickInput& t) { t.pad.leftTrigger = -0.1f; }) + end,
         "pad axis"},
        {"a seventh axis", head + settings + Raw("\x08\x40") + end, "pad axis"},
        {"an unknown key bound", head + SettingsWithText("Foo\n" + lines.substr(lines.find('\n') + 1)) + end,
         "bindings that do not parse (walk_forward)"},
        {"nine actions", head + SettingsWithText(lines.substr(lines.find('\n') + 1)) + end, "bindings missing"},
        {"eleven actions", head + SettingsWithText(lines + "W\n") + end, "bindings with more"},
        {"a tick first", head + Tick([](TickInput&) {}) + settings + end, "tick before the first settings"},
        {"answer 0", head + settings + Raw("\x11\x00\x05") + end, "answer out of range"},
        {"answer 4", head + settings + Raw("\x11\x04\x05") + end, "answer out of range"},
        {"after End", head + settings + end + Tick([](TickInput&) {}), "after the end"},
        {"too large", head + settings + end + std::string(kMaxDemoBytes, '\0'), "larger than 64 MB"},
    };
    for (const auto& row : kRows) {
        DemoReader reader;
        std::string reason;
        EXPECT_FALSE(reader.Open(row.bytes, kVersion, &reason)) << row.what;
        EXPECT_NE(reason.find(row.reason), std::string::npos) << row.what << ": " << reason;
        for (char c : reason) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << row.what << ": " << reason;
        EXPECT_EQ(reader.Next().record, DemoRecord::End) << row.what;
    }
    // Cut anywhere, a whole demo is cut short.
    const std::string whole = Encode(Header(), EveryKindOfChange());
    for (size_t n = 0; n < whole.size(); ++n) {
        DemoReader reader;
        std::string reason;
        EXPECT_FALSE(reader.Open(whole.substr(0, n), kVersion, &reason)) << n;
        EXPECT_EQ(reason, "cut short") << n;
    }
}

// An hour of play: a hand on the mouse most ticks, a key changing every second or so.
class HourOfPlay {
public:
    static constexpr int kTicks = 180000;
    const TickInput& Next() {
        static const Key kKeys[] = {Key::W, Key::A, Key::S, Key::D, Key::MouseLeft, Key::Control};
        tick_.presses = platform::Presses();
        vx_ = std::max(-40, std::min(40, vx_ + Random(9) - 4));
        vy_ = std::max(-15, std::min(15, vy_ + Random(5) - 2));
        const bool still = Random(10) == 0;
        tick_.mouseX = still ? 0 : vx_;
        tick_.mouseY = still ? 0 : vy_;
        if (Random(50) == 0) {
            const Key k = kKeys[Random(6)];
            tick_.held.flip(size_t(k));
            if (tick_.held[size_t(k)]) tick_.presses.count[int(k)] = 1;
        }
        return tick_;
    }

private:
    int Random(int n) { return int((random_ = random_ * 1664525u + 1013904223u) >> 8) % n; }
    uint32_t random_ = 12345;
    int vx_ = 0, vy_ = 0;
    TickInput tick_;
};

// An hour of play stays under 4 MB and reads back tick for tick; a tick where nothing changes is one byte.
TEST(DemoFile, AnHourOfPlayStaysSmall) {
    std::string hour = Header() + SettingsRecord();
    HourOfPlay play;
    TickInput previous;
    for (int i = 0; i < HourOfPlay::kTicks; ++i) {
        const TickInput& tick = play.Next();
        WriteDemoTick(tick, previous, &hour);
        previous = tick;
    }
    WriteDemoEnd(&hour);
    EXPECT_LT(hour.size(), size_t(4) << 20);

    DemoReader reader;
    std::string reason;
    ASSERT_TRUE(reader.Open(hour, kVersion, &reason)) << reason;
    EXPECT_EQ(reader.tickCount(), uint32_t(HourOfPlay::kTicks));
    ASSERT_EQ(reader.Next().record, DemoRecord::Settings);
    HourOfPlay again;
    for (int i = 0; i < HourOfPlay::kTicks; ++i) {
        const DemoEvent e = reader.Next();
        ASSERT_EQ(e.record, DemoRecord::Tick);
        ASSERT_EQ(e.tick, again.Next()) << "tick " << i;
    }
    EXPECT_EQ(reader.Next().record, DemoRecord::End);

    std::string idle;
    WriteDemoTick(previous, previous, &idle);
    EXPECT_EQ(idle.size(), 1u);
}
