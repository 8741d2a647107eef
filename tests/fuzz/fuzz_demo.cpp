// libFuzzer target for the demo reader. Beyond "no sanitizer report", an
// accepted demo must hand out as many ticks as it says, each value in the
// range the rules take, and then End for good; written again, its records
// must read back the same, and a second writing must be the first to the
// byte. A refused one must say why in plain text. The seeds are demos of
// game version "fuzz" written by WriteDemo*.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/demo.h"
#include "core/settings.h"
#include "fuzz_check.h"

namespace {

const char kVersion[] = "fuzz";

void CheckSettings(const RuleSettings& s) {
    Check(s.mouseSensitivity >= kMinMouseSensitivity && s.mouseSensitivity <= kMaxMouseSensitivity);
    Check(s.stickDeadZone >= kMinStickDeadZone && s.stickDeadZone <= kMaxStickDeadZone);
    Check(s.fieldOfView >= kMinFieldOfView && s.fieldOfView <= kMaxFieldOfView);
    Check(s.viewWidth >= 1 && s.viewWidth <= kMaxDemoViewSize);
    Check(s.viewHeight >= 1 && s.viewHeight <= kMaxDemoViewSize);
}

void CheckTick(const TickInput& t) {
    for (int k = 0; k < platform::kKeyCount; ++k) {
        Check(t.presses.count[k] >= 0 && t.presses.count[k] <= kMaxDemoPressesPerTick);
        Check(t.presses.withAlt[k] >= 0 && t.presses.withAlt[k] <= t.presses.count[k]);
    }
    for (float stick : {t.pad.leftX, t.pad.leftY, t.pad.rightX, t.pad.rightY}) Check(stick >= -1.0f && stick <= 1.0f);
    for (float trigger : {t.pad.leftTrigger, t.pad.rightTrigger}) Check(trigger >= 0.0f && trigger <= 1.0f);
}

// Reads every record of an open demo, checking each, and writes it again.
std::string ReadAndRewrite(DemoReader& reader, std::string* events) {
    std::string out;
    WriteDemoHeader(reader.header(), &out);
    TickInput previous;
    uint32_t ticks = 0;
    bool settled = false;
    for (;;) {
        const DemoEvent e = reader.Next();
        events->push_back(char(e.record));
        switch (e.record) {
        case DemoRecord::Settings:
            CheckSettings(e.settings);
            settled = true;
            WriteDemoSettings(e.settings, &out);
            break;
        case DemoRecord::Tick:
            Check(settled);
            CheckTick(e.tick);
            Check(++ticks <= reader.tickCount());
            WriteDemoTick(e.tick, previous, &out);
            previous = e.tick;
            break;
        case DemoRecord::Answer:
            Check(e.answer >= 1 && e.answer <= 3);
            WriteDemoAnswer(e.answer, e.boxMs, &out);
            break;
        case DemoRecord::End:
            Check(ticks == reader.tickCount());
            Check(reader.Next().record == DemoRecord::End);
            WriteDemoEnd(&out);
            return out;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DemoReader reader;
    std::string reason;
    if (!reader.Open(std::string(reinterpret_cast<const char*>(data), size), kVersion, &reason)) {
        Check(!reason.empty());
        for (char c : reason) Check(c >= 0x20 && c <= 0x7E);
        Check(reader.Next().record == DemoRecord::End);
        return 0;
    }
    Check(reason.empty());
    Check(reader.header().gameVersion == kVersion);
    std::string kinds;
    const std::string again = ReadAndRewrite(reader, &kinds);

    DemoReader first, second;
    Check(first.Open(again, kVersion, &reason));
    Check(second.Open(again, kVersion, &reason));
    Check(first.tickCount() == reader.tickCount());
    const DemoHeader &h = reader.header(), &h2 = first.header();
    Check(h2.gameVersion == h.gameVersion && h2.seed == h.seed && h2.startTime == h.startTime &&
          h2.hiddenTicks == h.hiddenTicks);
    DemoReader original;
    Check(original.Open(std::string(reinterpret_cast<const char*>(data), size), kVersion, &reason));
    for (;;) {
        const DemoEvent a = original.Next(), b = first.Next();
        Check(SameRecord(a, b));
        if (a.record == DemoRecord::End) break;
    }
    std::string kindsAgain;
    Check(ReadAndRewrite(second, &kindsAgain) == again);
    Check(kindsAgain == kinds);
    return 0;
}
