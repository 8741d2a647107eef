// WAV decoding for the browser's sound: the generated sounds, every PCM layout and chunk arrangement a writer may
// leave, and files that lie about their contents.
#include "platform/web/wav.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"

namespace {

using Data = std::vector<uint8_t>;
using platform::DecodeWav;
using platform::WavSound;

Data Id(const char* id) { return Data(id, id + 4); }

Data Join(std::initializer_list<Data> parts) {
    Data out;
    for (const Data& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A chunk whose size field says the body's size unless told otherwise; odd bodies get their pad byte unless told not.
Data Chunk(const char* id, const Data& body, std::optional<uint32_t> size = {}, bool pad = true) {
    Data out = Id(id);
    PutU32(out, size ? *size : uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (pad && body.size() % 2) out.push_back(0);
    return out;
}

Data Riff(std::initializer_list<Data> chunks, std::optional<uint32_t> size = {}) {
    const Data body = Join(chunks);
    Data out = Id("RIFF");
    PutU32(out, size ? *size : uint32_t(4 + body.size()));
    return Join({out, Id("WAVE"), body});
}

// A plain fmt body; blockAlign 0 means the right one.
Data Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign = 0) {
    if (blockAlign == 0) blockAlign = uint16_t(channels * bits / 8);
    Data out;
    PutU16(out, tag);
    PutU16(out, channels);
    PutU32(out, rate);
    PutU32(out, rate * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, bits);
    return out;
}

// The extensible fmt body, its sub-format GUID starting with subFormat (1 for PCM, 3 for float).
Data Extensible(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat) {
    Data out = Fmt(0xFFFE, channels, rate, bits);
    PutU16(out, 22);    // extension size
    PutU16(out, bits);  // valid bits
    PutU32(out, channels == 1 ? 4 : 3);
    PutU16(out, subFormat);
    const Data tail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

Data Head(const Data& bytes, size_t n) { return Data(bytes.begin(), bytes.begin() + ptrdiff_t(n)); }

Data Samples(size_t n) {
    Data out(n);
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t(i + 1);
    return out;
}

Data ReadGenerated(const std::string& name) {
    std::ifstream in(std::string(ORVANTHE_DATA_DIR) + "/" + name, std::ios::binary);
    return Data(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(WavDecode, TheGeneratedSoundsAre16BitMonoAt44100) {
    for (const char* name : {"bulletFire.wav", "wpqce.wav", "explode.wav", "ugh.wav"}) {
        SCOPED_TRACE(name);
        const Data bytes = ReadGenerated(name);
        ASSERT_GT(bytes.size(), 44u);
        WavSound wav;
        std::string reason;
        ASSERT_TRUE(DecodeWav(bytes.data(), bytes.size(), &wav, &reason)) << reason;
        EXPECT_EQ((std::vector<int>{wav.channels, wav.sampleRate, wav.bitsPerSample}),
                  (std::vector<int>{1, 44100, 16}));
        EXPECT_EQ(wav.samples, bytes.data() + 44) << "the samples follow the 44-byte header, not a copy";
        EXPECT_EQ(wav.sampleBytes, bytes.size() - 44);
    }
}

TEST(WavDecode, AcceptsEveryPcmLayoutAndChunkArrangement) {
    const Data list = Chunk("LIST", Join({Id("INFO"), Samples(3)}));  // 7 bytes, padded
    struct Case {
        const char* what;
        Data bytes;
        int channels, rate, bits;
        size_t samplesAt, sampleBytes;
    };
    const Case cases[] = {
        {"8-bit mono, odd data padded", Riff({Chunk("fmt ", Fmt(1, 1, 8000, 8)), Chunk("data", Samples(5))}), 1, 8000,
         8, 44, 5},
        {"8-bit stereo", Riff({Chunk("fmt ", Fmt(1, 2, 11025, 8)), Chunk("data", Samples(6))}), 2, 11025, 8, 44, 6},
        {"16-bit stereo, a partial frame dropped",
         Riff({Chunk("fmt ", Fmt(1, 2, 48000, 16)), Chunk("data", Samples(10))}), 2, 48000, 16, 44, 8},
        {"16-bit mono, an odd byte dropped", Riff({Chunk("fmt ", Fmt(1, 1, 22050, 16)), Chunk("data", Samples(7))}), 1,
         22050, 16, 44, 6},
        {"odd LIST chunk before fmt", Riff({list, Chunk("fmt ", Fmt(1, 1, 44100, 16)), Chunk("data", Samples(4))}), 1,
         44100, 16, 12 + 16 + 24 + 8, 4},
        {"odd unknown chunk between fmt and data",
         Riff({Chunk("fmt ", Fmt(1, 1, 44100, 16)), Chunk("junk", Samples(1)), Chunk("data", Samples(4))}), 1, 44100,
         16, 12 + 24 + 10 + 8, 4},
        {"last chunk odd with its pad byte left off",
         Riff({Chunk("fmt ", Fmt(1, 1, 8000, 8)), Chunk("data", Samples(3), {}, false)}), 1, 8000, 8, 44, 3},
        {"18-byte fmt with an empty extension",
         Riff({Chunk("fmt ", Join({Fmt(1, 1, 44100, 16), {0, 0}})), Chunk("data", Samples(4))}), 1, 44100, 16, 46, 4},
        {"extensible PCM", Riff({Chunk("fmt ", Extensible(2, 96000, 16, 1)), Chunk("data", Samples(8))}), 2, 96000, 16,
         68, 8},
        {"data before fmt", Riff({Chunk("data", Samples(2)), Chunk("fmt ", Fmt(1, 1, 44100, 16))}), 1, 44100, 16, 20,
         2},
        {"first of two fmt chunks",
         Riff({Chunk("fmt ", Fmt(1, 1, 8000, 8)), Chunk("fmt ", Fmt(1, 2, 48000, 16)), Chunk("data", Samples(2))}), 1,
         8000, 8, 68, 2},
        {"first of two data chunks",
         Riff({Chunk("fmt ", Fmt(1, 1, 8000, 8)), Chunk("data", Samples(2)), Chunk("data", Samples(4))}), 1, 8000, 8,
         44, 2},
        {"RIFF size 0, as streaming writers leave it",
         Riff({Chunk("fmt ", Fmt(1, 1, 44100, 16)), Chunk("data", Samples(4))}, 0), 1, 44100, 16, 44, 4},
        {"junk after the data chunk",
         Join({Riff({Chunk("fmt ", Fmt(1, 1, 44100, 16)), Chunk("data", Samples(4))}), {'I', 'D', '3'}}), 1, 44100, 16,
         44, 4},
        {"no samples", Riff({Chunk("fmt ", Fmt(1, 1, 44100, 16)), Chunk("data", {})}), 1, 44100, 16, 44, 0},
        {"1 Hz", Riff({Chunk("fmt ", Fmt(1, 1, 1, 8)), Chunk("data", Samples(2))}), 1, 1, 8, 44, 2},
        {"the fastest rate", Riff({Chunk("fmt ", Fmt(1, 1, 1000000, 8)), Chunk("data", Samples(2))}), 1, 1000000, 8, 44,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WavSound wav;
        std::string reason;
        ASSERT_TRUE(DecodeWav(c.bytes.data(), c.bytes.size(), &wav, &reason)) << reason;
        EXPECT_EQ((std::vector<int>{wav.channels, wav.sampleRate, wav.bitsPerSample}),
                  (std::vector<int>{c.channels, c.rate, c.bits}));
        EXPECT_EQ(wav.samples - c.bytes.data(), ptrdiff_t(c.samplesAt));
        EXPECT_EQ(wav.sampleBytes, c.sampleBytes);
    }
}

// Every byte exactly sized, so a sanitizer build sees any read past the end.
TEST(WavDecode, RefusesWhatItCannotPlayWithAReasonAndLeavesNothing) {
    const Data fmt = Chunk("fmt ", Fmt(1, 1, 44100, 16));
    const Data data = Chunk("data", Samples(4));
    const auto withFmt = [&](const Data& body) { return Riff({Chunk("fmt ", body), data}); };
    const Data good = Riff({fmt, data});
    const std::pair<Data, const char*> cases[] = {
        {{}, "not a RIFF/WAVE file"},
        {Head(good, 11), "not a RIFF/WAVE file"},
        {Join({Id("RIFX"), Data(good.begin() + 4, good.end())}), "not a RIFF/WAVE file"},
        {Join({Head(good, 8), Id("AVI "), Chunk("LIST", {})}), "not a RIFF/WAVE file"},
        {Riff({}), "no fmt chunk"},
        {Riff({data}), "no fmt chunk"},
        {Riff({fmt}), "no data chunk"},
        {Riff({Chunk("data", Samples(3), {}, false)}), "no fmt chunk"},  // odd, unpadded and last
        {Riff({Chunk("LIST", {}), fmt, Chunk("fact", Samples(4))}), "no data chunk"},
        {Join({Riff({fmt}), {'d', 'a', 't', 'a', 4}}), "truncated chunk header"},
        {Riff({fmt, Chunk("data", Samples(4), 5)}), "truncated data chunk"},
        {Riff({fmt, Chunk("data", Samples(4), 0xFFFFFFFF)}), "truncated data chunk"},
        {Riff({Chunk("LIST", Samples(4), 0xFFFFFFF8), fmt, data}), "truncated LIST chunk"},
        {Riff({Chunk("fmt ", Fmt(1, 1, 44100, 16), 17)}), "truncated fmt chunk"},
        {Riff({fmt, Chunk("\x01\xff\n\0", Samples(2), 3)}), "truncated chunk"},
        {withFmt(Head(Fmt(1, 1, 44100, 16), 14)), "short fmt chunk (14 bytes)"},
        {withFmt(Fmt(3, 1, 44100, 32)), "not PCM (format tag 3)"},
        {withFmt(Fmt(2, 1, 44100, 4, 256)), "not PCM (format tag 2)"},
        {withFmt(Fmt(0, 1, 44100, 16)), "not PCM (format tag 0)"},
        {withFmt(Extensible(1, 44100, 32, 3)), "not PCM (format tag 65534)"},
        {withFmt(Fmt(0xFFFE, 1, 44100, 16)), "not PCM (format tag 65534)"},  // no room for the GUID
        {withFmt([] {
             Data body = Extensible(1, 44100, 16, 1);
             PutU16(body, 16, 0);  // an extension of no bytes: the GUID is not part of it
             return body;
         }()),
         "not PCM (format tag 65534)"},
        {withFmt(Fmt(1, 0, 44100, 16, 2)), "no channels"},
        {withFmt(Fmt(1, 6, 44100, 16)), "6 channels (at most 2)"},
        {withFmt(Fmt(1, 1, 44100, 24)), "24-bit samples (8 or 16 only)"},
        {withFmt(Fmt(1, 1, 44100, 0, 1)), "0-bit samples (8 or 16 only)"},
        {withFmt(Fmt(1, 1, 0, 16)), "sample rate 0 out of range"},
        {withFmt(Fmt(1, 1, 1000001, 16)), "sample rate 1000001 out of range"},
        {withFmt(Fmt(1, 1, 44100, 16, 4)), "block align 4 for 1 x 16-bit samples"},
        {withFmt(Fmt(1, 2, 44100, 8, 1)), "block align 1 for 2 x 8-bit samples"},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(expected);
        WavSound wav{2, 8000, 8, bytes.data(), 1};
        std::string reason;
        EXPECT_FALSE(DecodeWav(bytes.data(), bytes.size(), &wav, &reason));
        EXPECT_EQ(reason, expected);
        EXPECT_TRUE(wav.channels == 0 && wav.sampleRate == 0 && wav.bitsPerSample == 0 && wav.samples == nullptr &&
                    wav.sampleBytes == 0);
    }
}

// A file cut anywhere short of its end is refused, naming the part it lost.
TEST(WavDecode, EveryCutOfAValidFileIsRefused) {
    const Data whole =
        Riff({Chunk("LIST", Samples(4)), Chunk("fmt ", Fmt(1, 2, 44100, 16)), Chunk("data", Samples(8))});
    ASSERT_EQ(whole.size(), 64u);
    struct Span {
        size_t from, to;  // cut lengths, end not included
        const char* reason;
    };
    const Span spans[] = {
        {0, 12, "not a RIFF/WAVE file"},  {12, 13, "no fmt chunk"},  {13, 20, "truncated chunk header"},
        {20, 24, "truncated LIST chunk"}, {24, 25, "no fmt chunk"},  {25, 32, "truncated chunk header"},
        {32, 48, "truncated fmt chunk"},  {48, 49, "no data chunk"}, {49, 56, "truncated chunk header"},
        {56, 64, "truncated data chunk"},
    };
    for (const Span& span : spans) {
        for (size_t cut = span.from; cut < span.to; ++cut) {
            SCOPED_TRACE(cut);
            const Data bytes = Head(whole, cut);
            WavSound wav;
            std::string reason;
            EXPECT_FALSE(DecodeWav(bytes.data(), bytes.size(), &wav, &reason));
            EXPECT_EQ(reason, span.reason);
        }
    }
    WavSound wav;
    std::string reason;
    EXPECT_TRUE(DecodeWav(whole.data(), whole.size(), &wav, &reason)) << reason;
}
