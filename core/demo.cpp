// Demo files: the game's input, tick by tick, so a game plays back exactly.
//
// The format, version 1. Every number is little-endian; a varint is an
// unsigned LEB128 number of at most five bytes (seven bits a byte, low
// first, the top bit set on all but the last) that fits in 32 bits, and a
// signed number is stored as a zigzag varint (0, -1, 1, -2, ... as 0, 1,
// 2, 3, ...). A float is its IEEE 754 single's bits as a u32.
//
//   header   "ORVD"
//            u16 format version (1)
//            u8 n, then n bytes: the game's version (n <= 32)
//            u32 seed, u32 start time (ms)
//            u32 hidden ticks, at byte 15 + n
//   records  one byte saying which, then its fields:
//     0x00-0x0F  a tick. Held keys, mouse motion and pad axes stand as the
//                tick before left them (all zero before the first) unless
//                the byte's bit says they changed; presses are the tick's
//                own, none unless bit 1 is set. An idle tick is this byte.
//       bit 0    held keys: varint n, then n u8 key indices that toggled
//       bit 1    presses: varint n, then n times u8 key, varint count,
//                varint of those made with Alt held (keys differ, counts
//                1..1000, with Alt <= count)
//       bit 2    mouse: zigzag varint x, then y, pixels right and down
//       bit 3    pad: u8 mask of the axes that changed (bit i is leftX,
//                leftY, rightX, rightY, rightTrigger, leftTrigger), then
//                the float of each, in that order; sticks -1..1, triggers
//                0..1
//     0x10       settings: f32 mouse sensitivity, u8 invert Y (0 or 1),
//                u8 stick dead zone, f32 field of view, u16 view width,
//                u16 view height (1..65535), then varint n and n bytes of
//                text: the ten actions' bindings in Action order, each as
//                settings.ini writes it and ended by '\n' (so an empty slot
//                before a filled one reads back after it; the rules read
//                every slot alike). Each value is in the options screen's
//                range. One comes before the first tick.
//     0x11       answer: u8 button (1..3), varint ms the box stood
//     0x12       end; nothing follows it.
//
// A new layout takes a new format version: a reader refuses any other.
#include "core/demo.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/little_endian.h"
#include "core/settings.h"

namespace {

constexpr char kMagic[4] = {'O', 'R', 'V', 'D'};
constexpr uint16_t kFormatVersion = 1;
constexpr size_t kMaxBindingsText = 4096;
constexpr int kAxisCount = 6;

enum : uint8_t {
    kTickHeld = 0x01,
    kTickPresses = 0x02,
    kTickMouse = 0x04,
    kTickPad = 0x08,
    kSettings = 0x10,
    kAnswer = 0x11,
    kEnd = 0x12,
};

float* Axis(platform::PadAxes& pad, int i) {
    float* axes[kAxisCount] = {&pad.leftX, &pad.leftY, &pad.rightX, &pad.rightY, &pad.rightTrigger, &pad.leftTrigger};
    return axes[i];
}
uint32_t Bits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void PutU8(uint32_t v, std::string* out) { out->push_back(char(uint8_t(v))); }
void PutLe(uint32_t v, int bytes, std::string* out) {
    for (int i = 0; i < bytes; ++i) PutU8(v >> (8 * i), out);
}
void PutF32(float f, std::string* out) { PutLe(Bits(f), 4, out); }
void PutVarint(uint32_t v, std::string* out) {
    for (; v >= 0x80; v >>= 7) PutU8((v & 0x7F) | 0x80, out);
    PutU8(v, out);
}
void PutSigned(int v, std::string* out) {
    const uint32_t u = uint32_t(v);
    PutVarint((u << 1) ^ (v < 0 ? 0xFFFFFFFFu : 0u), out);
}

// Reads the bytes in order; the first problem met is kept and every read
// after it fails, so a record's fields are read without a check each.
class Cursor {
public:
    Cursor(const std::string& bytes, size_t at) : bytes_(bytes), at_(at) {}
    bool Fail(const std::string& reason) {
        if (reason_.empty()) reason_ = reason;
        return false;
    }
    bool Failed() const { return !reason_.empty(); }
    const std::string& reason() const { return reason_; }
    size_t at() const { return at_; }
    bool AtEnd() const { return at_ >= bytes_.size(); }

    const uint8_t* Take(size_t n) {
        if (Failed()) return nullptr;
        if (bytes_.size() - at_ < n) return Fail("cut short"), nullptr;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes_.data()) + at_;
        at_ += n;
        return p;
    }
    uint32_t Le(int bytes) {
        const uint8_t* p = Take(size_t(bytes));
        return p ? LeUnsigned(p, bytes) : 0;
    }
    uint32_t Varint() {
        uint32_t value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            const uint8_t* p = Take(1);
            if (!p) return 0;
            if (shift == 28 && (*p & 0xF0)) return Fail("a number out of range"), 0;
            value |= uint32_t(*p & 0x7F) << shift;
            if (!(*p & 0x80)) return value;
        }
        return 0;  // not reached: the fifth byte has no top bit
    }
    int Signed() {
        const uint32_t u = Varint();
        return int(u >> 1) ^ -int(u & 1);
    }
    float F32() {
        const float f = LeF32OrZero();
        if (!std::isfinite(f)) Fail("a number that is not finite");
        return f;
    }
    std::string Text(size_t n) {
        const uint8_t* p = Take(n);
        return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
    }

private:
    float LeF32OrZero() {
        const uint8_t* p = Take(4);
        return p ? LeF32(p) : 0.0f;
    }
    const std::string& bytes_;
    size_t at_;
    std::string reason_;
};

// The version as it may be printed: printable ASCII, anything else '?'.
std::string Printable(const std::string& text) {
    std::string shown = text;
    for (char& c : shown)
        if (c < 0x20 || c > 0x7E) c = '?';
    return shown;
}

bool ReadHeader(Cursor& in, DemoHeader* header) {
    const std::string magic = in.Text(4);
    if (in.Failed()) return false;
    if (std::memcmp(magic.data(), kMagic, 4) != 0) return in.Fail("not a demo");
    const uint32_t format = in.Le(2);
    if (!in.Failed() && format != kFormatVersion)
        return in.Fail("another format version (" + std::to_string(format) + ")");
    const uint32_t length = in.Le(1);
    if (length > kMaxDemoVersionLength) return in.Fail("a game version name too long");
    header->gameVersion = in.Text(length);
    header->seed = in.Le(4);
    header->startTime = in.Le(4);
    header->hiddenTicks = in.Le(4);
    return !in.Failed();
}

bool ReadSettings(Cursor& in, RuleSettings* s) {
    s->mouseSensitivity = in.F32();
    const uint32_t invert = in.Le(1);
    s->invertY = invert != 0;
    s->stickDeadZone = int(in.Le(1));
    s->fieldOfView = in.F32();
    s->viewWidth = int(in.Le(2));
    s->viewHeight = int(in.Le(2));
    const uint32_t length = in.Varint();
    if (!in.Failed() && length > kMaxBindingsText) return in.Fail("bindings too long");
    const std::string text = in.Text(length);
    if (in.Failed()) return false;
    if (invert > 1) return in.Fail("an invert setting out of range");
    if (!(s->mouseSensitivity >= kMinMouseSensitivity && s->mouseSensitivity <= kMaxMouseSensitivity))
        return in.Fail("a mouse sensitivity out of range");
    if (s->stickDeadZone < kMinStickDeadZone || s->stickDeadZone > kMaxStickDeadZone)
        return in.Fail("a stick dead zone out of range");
    if (!(s->fieldOfView >= kMinFieldOfView && s->fieldOfView <= kMaxFieldOfView))
        return in.Fail("a field of view out of range");
    if (s->viewWidth < 1 || s->viewWidth > kMaxDemoViewSize || s->viewHeight < 1 || s->viewHeight > kMaxDemoViewSize)
        return in.Fail("a view size out of range");
    size_t start = 0;
    for (int a = 0; a < kActionCount; ++a) {
        const size_t newline = text.find('\n', start);
        if (newline == std::string::npos) return in.Fail("bindings missing an action");
        const std::string problem = ParseActionBindings(text.substr(start, newline - start), Action(a), &s->bindings);
        if (!problem.empty()) return in.Fail(std::string("bindings that do not parse (") + ActionKey(Action(a)) + ")");
        start = newline + 1;
    }
    if (start != text.size()) return in.Fail("bindings with more than ten actions");
    return true;
}

bool ReadTick(Cursor& in, uint8_t changes, TickInput* tick) {
    tick->presses = platform::Presses();
    if (changes & kTickHeld) {
        const uint32_t n = in.Varint();
        if (n > uint32_t(platform::kKeyCount)) return in.Fail("too many keys in one tick");
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t key = in.Le(1);
            if (in.Failed()) return false;
            if (key >= uint32_t(platform::kKeyCount)) return in.Fail("a key index out of range");
            tick->held.flip(key);
        }
    }
    if (changes & kTickPresses) {
        const uint32_t n = in.Varint();
        if (n > uint32_t(platform::kKeyCount)) return in.Fail("too many keys in one tick");
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t key = in.Le(1);
            const uint32_t count = in.Varint();
            const uint32_t withAlt = in.Varint();
            if (in.Failed()) return false;
            if (key >= uint32_t(platform::kKeyCount)) return in.Fail("a key index out of range");
            if (tick->presses.count[key] != 0) return in.Fail("a key pressed twice in one tick");
            if (count < 1 || count > uint32_t(kMaxDemoPressesPerTick) || withAlt > count)
                return in.Fail("a press count out of range");
            tick->presses.count[key] = int(count);
            tick->presses.withAlt[key] = int(withAlt);
        }
    }
    if (changes & kTickMouse) {
        tick->mouseX = in.Signed();
        tick->mouseY = in.Signed();
    }
    if (changes & kTickPad) {
        const uint32_t mask = in.Le(1);
        if (mask >> kAxisCount) return in.Fail("an unknown pad axis");
        for (int i = 0; i < kAxisCount; ++i) {
            if (!(mask & (1u << i))) continue;
            const float v = in.F32();
            if (in.Failed()) return false;
            if (!(v >= (i < 4 ? -1.0f : 0.0f) && v <= 1.0f)) return in.Fail("a pad axis out of range");
            *Axis(tick->pad, i) = v;
        }
    }
    return !in.Failed();
}

// One record into *event, a tick decoded against *last (and left there).
bool ReadRecord(Cursor& in, TickInput* last, DemoEvent* event) {
    const uint32_t kind = in.Le(1);
    if (in.Failed()) return false;
    if (kind <= 0x0F) {
        event->record = DemoRecord::Tick;
        if (!ReadTick(in, uint8_t(kind), last)) return false;
        event->tick = *last;
        return true;
    }
    switch (kind) {
    case kSettings: event->record = DemoRecord::Settings; return ReadSettings(in, &event->settings);
    case kAnswer:
        event->record = DemoRecord::Answer;
        event->answer = int(in.Le(1));
        event->boxMs = in.Varint();
        if (!in.Failed() && (event->answer < 1 || event->answer > 3)) return in.Fail("an answer out of range");
        return !in.Failed();
    case kEnd: event->record = DemoRecord::End; return true;
    default: {
        static const char kHex[] = "0123456789ABCDEF";
        return in.Fail(std::string("an unknown record (0x") + kHex[kind >> 4] + kHex[kind & 15] + ")");
    }
    }
}

}  // namespace

bool operator==(const TickInput& a, const TickInput& b) {
    if (a.held != b.held || a.mouseX != b.mouseX || a.mouseY != b.mouseY) return false;
    for (int k = 0; k < platform::kKeyCount; ++k)
        if (a.presses.count[k] != b.presses.count[k] || a.presses.withAlt[k] != b.presses.withAlt[k]) return false;
    platform::PadAxes pa = a.pad, pb = b.pad;
    for (int i = 0; i < kAxisCount; ++i)
        if (Bits(*Axis(pa, i)) != Bits(*Axis(pb, i))) return false;
    return true;
}

void WriteDemoHeader(const DemoHeader& header, std::string* out) {
    out->append(kMagic, 4);
    PutLe(kFormatVersion, 2, out);
    const size_t length = std::min(header.gameVersion.size(), kMaxDemoVersionLength);
    PutU8(uint32_t(length), out);
    out->append(header.gameVersion, 0, length);
    PutLe(header.seed, 4, out);
    PutLe(header.startTime, 4, out);
    PutLe(header.hiddenTicks, 4, out);
}

void WriteDemoSettings(const RuleSettings& settings, std::string* out) {
    PutU8(kSettings, out);
    PutF32(settings.mouseSensitivity, out);
    PutU8(settings.invertY ? 1 : 0, out);
    PutU8(uint32_t(settings.stickDeadZone), out);
    PutF32(settings.fieldOfView, out);
    PutLe(uint32_t(settings.viewWidth), 2, out);
    PutLe(uint32_t(settings.viewHeight), 2, out);
    std::string text;
    for (int a = 0; a < kActionCount; ++a) text += FormatActionBindings(settings.bindings, Action(a)) + "\n";
    PutVarint(uint32_t(text.size()), out);
    *out += text;
}

void WriteDemoTick(const TickInput& tick, const TickInput& previous, std::string* out) {
    const size_t kindAt = out->size();
    uint8_t changes = 0;
    PutU8(0, out);
    const std::bitset<platform::kKeyCount> toggled = tick.held ^ previous.held;
    if (toggled.any()) {
        changes |= kTickHeld;
        PutVarint(uint32_t(toggled.count()), out);
        for (int k = 0; k < platform::kKeyCount; ++k)
            if (toggled[size_t(k)]) PutU8(uint32_t(k), out);
    }
    int pressed = 0;
    for (int k = 0; k < platform::kKeyCount; ++k) pressed += tick.presses.count[k] != 0;
    if (pressed) {
        changes |= kTickPresses;
        PutVarint(uint32_t(pressed), out);
        for (int k = 0; k < platform::kKeyCount; ++k) {
            if (tick.presses.count[k] == 0) continue;
            PutU8(uint32_t(k), out);
            PutVarint(uint32_t(tick.presses.count[k]), out);
            PutVarint(uint32_t(tick.presses.withAlt[k]), out);
        }
    }
    if (tick.mouseX != previous.mouseX || tick.mouseY != previous.mouseY) {
        changes |= kTickMouse;
        PutSigned(tick.mouseX, out);
        PutSigned(tick.mouseY, out);
    }
    platform::PadAxes now = tick.pad, before = previous.pad;
    uint32_t mask = 0;
    for (int i = 0; i < kAxisCount; ++i)
        if (Bits(*Axis(now, i)) != Bits(*Axis(before, i))) mask |= 1u << i;
    if (mask) {
        changes |= kTickPad;
        PutU8(mask, out);
        for (int i = 0; i < kAxisCount; ++i)
            if (mask & (1u << i)) PutF32(*Axis(now, i), out);
    }
    (*out)[kindAt] = char(changes);
}

void WriteDemoAnswer(int answer, uint32_t boxMs, std::string* out) {
    PutU8(kAnswer, out);
    PutU8(uint32_t(answer), out);
    PutVarint(boxMs, out);
}

void WriteDemoEnd(std::string* out) { PutU8(kEnd, out); }

std::string WithHiddenTicks(const std::string& demo, uint32_t ticks) {
    std::string copy = demo;
    Cursor in(demo, 0);
    DemoHeader header;
    if (!ReadHeader(in, &header)) return copy;  // no header to patch: as it was
    const size_t at = in.at() - 4;
    for (int i = 0; i < 4; ++i) copy[at + size_t(i)] = char(uint8_t(ticks >> (8 * i)));
    return copy;
}

bool DemoReader::Open(std::string bytes, const std::string& gameVersion, std::string* reason) {
    *this = DemoReader();
    reason->clear();
    if (bytes.size() > kMaxDemoBytes) return *reason = "larger than 64 MB", false;
    // Fewer bytes than the magic are a demo cut short only if they begin it.
    const size_t magicBytes = std::min<size_t>(bytes.size(), 4);
    if (bytes.compare(0, magicBytes, kMagic, magicBytes) != 0) return *reason = "not a demo", false;
    Cursor in(bytes, 0);
    DemoHeader header;
    bool ok = ReadHeader(in, &header);
    if (ok && header.gameVersion != gameVersion) {
        *reason = "made by version " + Printable(header.gameVersion) + " of the game";
        return false;
    }
    const size_t recordsAt = in.at();
    TickInput last;
    DemoEvent event;
    bool settled = false, ended = false;
    uint32_t ticks = 0;
    while (ok && !ended) {
        if (in.AtEnd())
            ok = in.Fail("cut short");
        else if ((ok = ReadRecord(in, &last, &event))) {
            if (event.record == DemoRecord::Tick && !settled) ok = in.Fail("a tick before the first settings");
            settled |= event.record == DemoRecord::Settings;
            ticks += event.record == DemoRecord::Tick;
            ended = event.record == DemoRecord::End;
        }
    }
    if (ok && !in.AtEnd()) ok = in.Fail("data after the end");
    if (!ok) return *reason = in.reason(), false;
    bytes_ = std::move(bytes);
    at_ = recordsAt;
    header_ = header;
    tickCount_ = ticks;
    return true;
}

DemoEvent DemoReader::Next() {
    DemoEvent event;
    if (at_ >= bytes_.size()) return event;
    Cursor in(bytes_, at_);
    // Open read every record already: none fails here.
    if (!ReadRecord(in, &last_, &event) || event.record == DemoRecord::End) {
        at_ = bytes_.size();
        return DemoEvent();
    }
    at_ = in.at();
    return event;
}

bool SameRecord(const DemoEvent& a, const DemoEvent& b) {
    if (a.record != b.record) return false;
    switch (a.record) {
    case DemoRecord::Settings: return a.settings == b.settings;
    case DemoRecord::Tick: return a.tick == b.tick;
    case DemoRecord::Answer: return a.answer == b.answer && a.boxMs == b.boxMs;
    case DemoRecord::End: return true;
    }
    return false;
}
