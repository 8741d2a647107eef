#include "platform/web/gamepad_id.h"

#include <cctype>
#include <string>

namespace platform {

namespace {

constexpr const char* kSonyVendor = "054c";
constexpr const char* kNintendoVendor = "057e";
// Names the pads give themselves where the vendor is not in the id.
constexpr const char* kSonyNames[] = {"playstation", "dualsense", "dualshock"};
constexpr const char* kNintendoNames[] = {"nintendo", "pro controller", "joy-con"};

// The vendor as Chromium writes it ("vendor: 054c") or as Firefox begins
// the id ("054c-"); the same four digits elsewhere are some product's.
bool FromVendor(const std::string& id, const char* vendor) {
    const std::string code(vendor);
    return id.find("vendor: " + code) != std::string::npos || id.rfind(code + "-", 0) == 0;
}

template <size_t N>
bool Named(const std::string& id, const char* const (&names)[N]) {
    for (const char* name : names)
        if (id.find(name) != std::string::npos) return true;
    return false;
}

}  // namespace

PadLayout LayoutFromGamepadId(const char* text) {
    std::string id = text ? text : "";
    for (char& c : id) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (FromVendor(id, kSonyVendor) || Named(id, kSonyNames)) return PadLayout::PlayStation;
    if (FromVendor(id, kNintendoVendor) || Named(id, kNintendoNames)) return PadLayout::Nintendo;
    return PadLayout::Xbox;
}

}  // namespace platform
