#include "common/bytes.h"

#include <errno.h>  // program_invocation_short_name

#include <cstdio>
#include <cstring>

void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
}

void PutI32(std::vector<uint8_t>& out, size_t at, int32_t v) { PutU32(out, at, uint32_t(v)); }

void PutF32(std::vector<uint8_t>& out, size_t at, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutU32(out, at, bits);
}

namespace {

// Where `bytes` new bytes at the end begin.
size_t Grow(std::vector<uint8_t>& out, size_t bytes) {
    out.resize(out.size() + bytes);
    return out.size() - bytes;
}

}  // namespace

void PutU16(std::vector<uint8_t>& out, uint16_t v) { PutU16(out, Grow(out, 2), v); }
void PutU32(std::vector<uint8_t>& out, uint32_t v) { PutU32(out, Grow(out, 4), v); }
void PutI32(std::vector<uint8_t>& out, int32_t v) { PutU32(out, uint32_t(v)); }
void PutF32(std::vector<uint8_t>& out, float v) { PutF32(out, Grow(out, 4), v); }

void PutU32BigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "%s: cannot write %s\n", program_invocation_short_name, path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) std::fprintf(stderr, "%s: short write to %s\n", program_invocation_short_name, path.c_str());
    return ok;
}
