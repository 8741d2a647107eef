// The world's one random source: explosions draw every number from it, so
// a game replays exactly from its seed and inputs on any system. It makes
// the very sequence the C library on our desktop makes for the same seed
// (glibc's additive feedback generator), so bursts look as they always did,
// but it is ours: another C library (the browser's) would differ.
#pragma once

#include <cstdint>

// The seed every run starts the world's source with; a demo names it.
constexpr uint32_t kWorldSeed = 1;

class Random {
public:
    explicit Random(uint32_t seed = 1) { Seed(seed); }
    // A seed of 0 is taken as 1, as the C library does.
    void Seed(uint32_t seed);
    // 0 .. 2^31 - 1.
    int32_t Next();

    // The 31 numbers the next ones grow from, newest last, folded into one:
    // for telling two runs' sources apart.
    uint64_t Fingerprint() const;

    bool operator==(const Random& o) const;
    bool operator!=(const Random& o) const { return !(*this == o); }

private:
    static constexpr int kLag = 31;
    int32_t table_[kLag] = {};
    int front_ = 0;  // the newest of the last 31 numbers is table_[front_]
};
