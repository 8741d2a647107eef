// Heap allocations counted in the benchmark: malloc, calloc, realloc and the
// aligned allocators are replaced in this binary (forwarding to glibc's own),
// so every thread's calls are seen, Mesa's and SDL's included. operator new
// is counted on its own as well.
//
// Counting is cheap and runs during timed frames. Attribution walks each
// call's stack, so it runs only in untimed frames: a call belongs to the
// innermost frame outside libc, libstdc++ and libgcc, which is the game (this
// executable), SDL, or the GL driver (everything else, Mesa and LLVM).
#pragma once

#include <cstdint>

namespace bench {

enum class Owner { Game, Sdl, Driver, Count };

struct AllocCounts {
    uint64_t calls = 0;                   // malloc-family calls, all threads
    uint64_t newCalls = 0;                // of which through operator new
    uint64_t by[int(Owner::Count)] = {};  // attributed calls (attribution on)
};

// A call site in this executable that led to allocations: the game's own
// allocation, or the game call into SDL or the driver that allocated.
struct AllocSite {
    uintptr_t address = 0;  // file address in this executable, for addr2line
    Owner owner = Owner::Game;
    uint64_t calls = 0;
};

// Notes where the loaded libraries lie; call once the GL context exists.
void PrepareAttribution();

void StartCounting(bool attribute);
// Called by the replaced operator new; its malloc is counted as well.
void NoteNew();
AllocCounts StopCounting();

// The sites seen since the last ClearSites, most calls first: the game's
// and SDL's (gameSide) or the driver's.
int TakeSites(bool gameSide, AllocSite* out, int max);
void ClearSites();

}  // namespace bench
