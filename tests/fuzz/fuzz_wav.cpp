// libFuzzer target for the browser's WAV decoder. Beyond "no sanitizer
// report", an accepted sound must have a format the browser can be handed
// (mono or stereo, 8- or 16-bit, a rate in range) and samples that lie
// wholly inside the input, start on an even offset just after a "data"
// chunk header whose size they fill to the last whole frame; a refused one
// must leave the result empty and say why in plain text.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/web/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::WavSound wav;
    std::string reason;
    if (!platform::DecodeWav(data, size, &wav, &reason)) {
        Check(wav.channels == 0 && wav.sampleRate == 0 && wav.bitsPerSample == 0);
        Check(wav.samples == nullptr && wav.sampleBytes == 0);
        Check(!reason.empty());
        for (char c : reason) Check(c >= 0x20 && c <= 0x7E);
        return 0;
    }
    Check(reason.empty());
    Check(wav.channels == 1 || wav.channels == 2);
    Check(wav.bitsPerSample == 8 || wav.bitsPerSample == 16);
    Check(wav.sampleRate >= 1 && uint32_t(wav.sampleRate) <= platform::kWavMaxRate);

    Check(wav.samples >= data + 20 && wav.samples <= data + size);
    const size_t at = size_t(wav.samples - data);
    Check(at % 2 == 0);
    Check(wav.sampleBytes <= size - at);
    const size_t frame = size_t(wav.channels) * size_t(wav.bitsPerSample / 8);
    Check(wav.sampleBytes % frame == 0);
    const uint8_t* header = wav.samples - 8;
    Check(header[0] == 'd' && header[1] == 'a' && header[2] == 't' && header[3] == 'a');
    const uint32_t chunkSize =
        uint32_t(header[4]) | uint32_t(header[5]) << 8 | uint32_t(header[6]) << 16 | uint32_t(header[7]) << 24;
    Check(wav.sampleBytes <= chunkSize && chunkSize - wav.sampleBytes < frame);
    return 0;
}
