#include "core/random.h"

void Random::Seed(uint32_t seed) {
    // A minimal-standard generator (16807 mod 2^31 - 1) fills the lag table,
    // and the first 310 numbers of the feedback are thrown away.
    int32_t word = seed == 0 ? 1 : int32_t(seed);
    table_[0] = word;
    for (int i = 1; i < kLag; ++i) {
        const int32_t hi = word / 127773, lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        table_[i] = word;
    }
    // The feedback starts at the fourth entry: the third is taken as the
    // newest number.
    front_ = 2;
    for (int i = 0; i < 310; ++i) Next();
}

int32_t Random::Next() {
    // r[n] = r[n - 31] + r[n - 3], wrapping; the low bit is dropped.
    const int oldest = (front_ + 1) % kLag;
    const int third = (front_ + kLag - 2) % kLag;
    const uint32_t sum = uint32_t(table_[oldest]) + uint32_t(table_[third]);
    front_ = oldest;
    table_[front_] = int32_t(sum);
    return int32_t(sum >> 1);
}

bool Random::operator==(const Random& o) const {
    for (int i = 0; i < kLag; ++i)
        if (table_[(front_ + 1 + i) % kLag] != o.table_[(o.front_ + 1 + i) % kLag]) return false;
    return true;
}

uint64_t Random::Fingerprint() const {
    uint64_t hash = 1469598103934665603u;
    for (int i = 0; i < kLag; ++i) {
        hash ^= uint32_t(table_[(front_ + 1 + i) % kLag]);
        hash *= 1099511628211u;
    }
    return hash;
}
