// A broken promise of a decoder stops the fuzzer, which keeps the input.
#pragma once

#include <cstdlib>

inline void Check(bool ok) {
    if (!ok) std::abort();
}
