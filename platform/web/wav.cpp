// WAV decoding: the chunks after the RIFF header are walked, each one's size
// checked against the bytes before anything in it is read, until both the
// format and the samples are found; the format is then checked on its own.
#include "platform/web/wav.h"

#include <cstring>

namespace platform {

namespace {

constexpr size_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
constexpr size_t kChunkHeaderSize = 8;  // id, size
constexpr uint32_t kPcmFmtSize = 16;
constexpr uint32_t kExtensibleFmtSize = 40;
constexpr uint32_t kExtensionSize = 22;  // the extensible format's fields after the plain ones
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The extensible format's sub-format GUID for PCM, after its first two bytes
// (the plain format tag, 1).
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Little-endian on every machine. The platform layer reads no header above it.
uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

bool IdIs(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// A chunk's id for a reason, if it is plain text; hostile bytes are not
// printed.
std::string ChunkName(const uint8_t* id) {
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E) return "chunk";
    std::string name(reinterpret_cast<const char*>(id), 4);
    while (!name.empty() && name.back() == ' ') name.pop_back();  // "fmt "
    return name.empty() ? "chunk" : name + " chunk";
}

struct Chunk {
    const uint8_t* body = nullptr;  // null: not found
    size_t size = 0;
};

// Finds the first fmt and data chunks. Whatever comes after both is not
// read, so trailing junk does not matter. The RIFF size is not trusted
// either way: writers that stream leave it 0, or count what they never
// wrote; each chunk is checked against the bytes themselves.
bool FindChunks(const uint8_t* data, size_t size, Chunk* fmt, Chunk* samples, std::string* reason) {
    size_t at = kRiffHeaderSize;
    while (!(fmt->body && samples->body)) {
        const size_t left = size - at;
        if (left == 0) break;
        if (left < kChunkHeaderSize) {
            *reason = "truncated chunk header";
            return false;
        }
        const uint8_t* id = data + at;
        const uint32_t chunkSize = U32(id + 4);
        const size_t bodyAt = at + kChunkHeaderSize;
        if (chunkSize > size - bodyAt) {
            *reason = "truncated " + ChunkName(id);
            return false;
        }
        Chunk* found = IdIs(id, "fmt ") ? fmt : IdIs(id, "data") ? samples : nullptr;
        if (found && !found->body) *found = Chunk{data + bodyAt, chunkSize};
        // Odd sizes are followed by a pad byte, which some writers leave
        // off the last chunk.
        at = bodyAt + chunkSize;
        if (chunkSize & 1) {
            if (at == size) break;
            ++at;
        }
    }
    if (!fmt->body) {
        *reason = "no fmt chunk";
        return false;
    }
    if (!samples->body) {
        *reason = "no data chunk";
        return false;
    }
    return true;
}

bool ReadFormat(const Chunk& fmt, WavSound* out, std::string* reason) {
    if (fmt.size < kPcmFmtSize) {
        *reason = "short fmt chunk (" + std::to_string(fmt.size) + " bytes)";
        return false;
    }
    const uint8_t* f = fmt.body;
    const uint32_t tag = U16(f);
    bool pcm = tag == kFormatPcm;
    // The extensible format names its real one in a GUID; only PCM's will
    // do. Its valid-bits field only says how many low bits are noise, and
    // its speaker mask places no more than two channels: both are ignored.
    if (tag == kFormatExtensible) {
        pcm = fmt.size >= kExtensibleFmtSize && U16(f + 16) >= kExtensionSize && U16(f + 24) == kFormatPcm &&
              std::memcmp(f + 26, kPcmGuidTail, sizeof kPcmGuidTail) == 0;
    }
    if (!pcm) {
        *reason = "not PCM (format tag " + std::to_string(tag) + ")";
        return false;
    }
    const uint32_t channels = U16(f + 2);
    const uint32_t rate = U32(f + 4);
    const uint32_t blockAlign = U16(f + 12);
    const uint32_t bits = U16(f + 14);
    if (channels == 0) {
        *reason = "no channels";
        return false;
    }
    if (channels > 2) {
        *reason = std::to_string(channels) + " channels (at most 2)";
        return false;
    }
    if (bits != 8 && bits != 16) {
        *reason = std::to_string(bits) + "-bit samples (8 or 16 only)";
        return false;
    }
    if (rate == 0 || rate > kWavMaxRate) {
        *reason = "sample rate " + std::to_string(rate) + " out of range";
        return false;
    }
    // The byte rate is only a hint for players that stream, and often
    // wrong; the block align decides how frames are laid out, so a wrong
    // one means the header cannot be trusted.
    if (blockAlign != channels * bits / 8) {
        *reason = "block align " + std::to_string(blockAlign) + " for " + std::to_string(channels) + " x " +
                  std::to_string(bits) + "-bit samples";
        return false;
    }
    out->channels = int(channels);
    out->sampleRate = int(rate);
    out->bitsPerSample = int(bits);
    return true;
}

}  // namespace

bool DecodeWav(const void* bytes, size_t size, WavSound* out, std::string* reason) {
    *out = WavSound{};
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (size < kRiffHeaderSize || !IdIs(data, "RIFF") || !IdIs(data + 8, "WAVE")) {
        *reason = "not a RIFF/WAVE file";
        return false;
    }
    Chunk fmt, samples;
    WavSound sound;
    if (!FindChunks(data, size, &fmt, &samples, reason) || !ReadFormat(fmt, &sound, reason)) return false;
    const size_t frameBytes = size_t(sound.channels) * size_t(sound.bitsPerSample / 8);
    sound.samples = samples.body;
    sound.sampleBytes = samples.size - samples.size % frameBytes;
    *out = sound;
    return true;
}

}  // namespace platform
