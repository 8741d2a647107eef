// The one reader of numbers stored little-endian in the game's files (BMP,
// MD2, GLF), whatever the machine's own byte order. Callers check bounds.
#pragma once

#include <cstdint>
#include <cstring>

// `bytes` (1 to 4) little-endian bytes as an unsigned number.
inline uint32_t LeUnsigned(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

inline uint16_t LeU16(const uint8_t* p) { return uint16_t(LeUnsigned(p, 2)); }
inline uint32_t LeU32(const uint8_t* p) { return LeUnsigned(p, 4); }
inline int32_t LeI32(const uint8_t* p) { return int32_t(LeU32(p)); }

inline float LeF32(const uint8_t* p) {
    const uint32_t bits = LeU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
