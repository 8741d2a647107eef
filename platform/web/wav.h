// Decoding of RIFF/WAVE files held in memory, for the browser's sound, which
// has no WAV loader of its own. Accepted: PCM (plain or in the extensible
// format) of 8-bit unsigned or 16-bit signed samples, mono or stereo, at any
// rate up to kWavMaxRate, with any other chunks beside fmt and data skipped.
// Anything else, and anything a header promises but the bytes do not hold,
// is refused with a short reason. No file I/O and no browser here, so tests
// and the fuzzer can feed it arbitrary bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

constexpr uint32_t kWavMaxRate = 1000000;

struct WavSound {
    int channels = 0;       // 1 or 2; stereo frames are left, right
    int sampleRate = 0;     // frames a second, 1 to kWavMaxRate
    int bitsPerSample = 0;  // 8: unsigned, silence at 128; 16: signed little-endian
    // The samples, inside the bytes given to DecodeWav (not a copy), and
    // their length in whole frames: a partial frame at the end is dropped.
    // Zero bytes is a valid, silent sound.
    const uint8_t* samples = nullptr;
    size_t sampleBytes = 0;
};

// On false, *reason says why (e.g. "not PCM (format tag 3)") and *out is
// left empty.
bool DecodeWav(const void* bytes, size_t size, WavSound* out, std::string* reason);

}  // namespace platform
