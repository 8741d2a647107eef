// Replacement allocators that count, and the stack walk that says whose
// allocation it was. Everything here forwards to glibc's own allocator, so
// memory from either side may be freed by the other.
#include "bench/alloc_count.h"

#include <execinfo.h>
#include <link.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

// Every function a counted call passes through lives in this section, so the
// stack walk can step over them whatever the compiler inlined.
#define BENCH_HOOK __attribute__((section("bench_alloc_hooks"), noinline))
extern "C" char __start_bench_alloc_hooks[];
extern "C" char __stop_bench_alloc_hooks[];

namespace bench {
namespace {

std::atomic<bool> counting{false};
std::atomic<bool> attributing{false};
std::atomic<uint64_t> calls{0};
std::atomic<uint64_t> newCalls{0};
std::atomic<uint64_t> owned[int(Owner::Count)];
thread_local bool insideHook = false;

// Code ranges of the loaded objects. Skip: libc, libstdc++ and libgcc, which
// allocate on someone else's behalf.
enum class Kind { Skip, Game, Sdl, Driver };
struct Range {
    uintptr_t begin = 0, end = 0;
    Kind kind = Kind::Driver;
};
Range ranges[128];
int rangeCount = 0;
uintptr_t exeBias = 0;

constexpr int kMaxSites = 256;
AllocSite sites[kMaxSites];
int siteCount = 0;
std::atomic_flag siteLock = ATOMIC_FLAG_INIT;

Kind KindOfObject(const char* name, bool first) {
    if (first) return Kind::Game;  // the main program comes first, unnamed
    const char* skipped[] = {"/libc.so", "/libstdc++", "/libgcc_s", "/libm.so", "/ld-linux"};
    for (const char* s : skipped)
        if (std::strstr(name, s)) return Kind::Skip;
    if (std::strstr(name, "/libSDL2")) return Kind::Sdl;
    return Kind::Driver;
}

int NoteObject(dl_phdr_info* info, size_t, void* data) {
    bool* first = static_cast<bool*>(data);
    const Kind kind = KindOfObject(info->dlpi_name, *first);
    if (*first) exeBias = info->dlpi_addr;
    *first = false;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& p = info->dlpi_phdr[i];
        if (p.p_type != PT_LOAD || !(p.p_flags & PF_X) || rangeCount == 128) continue;
        const uintptr_t begin = info->dlpi_addr + p.p_vaddr;
        ranges[rangeCount++] = Range{begin, begin + p.p_memsz, kind};
    }
    return 0;
}

Kind KindAt(uintptr_t pc) {
    for (int i = 0; i < rangeCount; ++i)
        if (pc >= ranges[i].begin && pc < ranges[i].end) return ranges[i].kind;
    return Kind::Driver;  // generated code and anything loaded later
}

BENCH_HOOK void AddSite(uintptr_t address, Owner owner) {
    while (siteLock.test_and_set(std::memory_order_acquire)) {
    }
    int i = 0;
    while (i < siteCount && !(sites[i].address == address && sites[i].owner == owner)) ++i;
    if (i == siteCount && siteCount < kMaxSites) sites[siteCount++] = AllocSite{address, owner, 0};
    if (i < siteCount) ++sites[i].calls;
    siteLock.clear(std::memory_order_release);
}

// The owner is the innermost frame outside the hooks and the skipped
// libraries; the site is the innermost frame in this executable.
BENCH_HOOK void Attribute() {
    void* frames[48];
    const int n = backtrace(frames, 48);
    bool decided = false;
    Owner owner = Owner::Driver;
    uintptr_t site = 0;
    for (int i = 0; i < n; ++i) {
        const uintptr_t pc = reinterpret_cast<uintptr_t>(frames[i]);
        if (pc >= uintptr_t(__start_bench_alloc_hooks) && pc < uintptr_t(__stop_bench_alloc_hooks)) continue;
        const Kind kind = KindAt(pc);
        if (!decided && kind != Kind::Skip) {
            owner = kind == Kind::Game ? Owner::Game : kind == Kind::Sdl ? Owner::Sdl : Owner::Driver;
            decided = true;
        }
        if (kind == Kind::Game) {
            site = pc - exeBias - 1;  // inside the call instruction
            break;
        }
    }
    owned[int(owner)].fetch_add(1, std::memory_order_relaxed);
    if (site) AddSite(site, owner);
}

BENCH_HOOK void Note() {
    if (!counting.load(std::memory_order_relaxed)) return;
    calls.fetch_add(1, std::memory_order_relaxed);
    if (!attributing.load(std::memory_order_relaxed) || insideHook) return;
    insideHook = true;
    Attribute();
    insideHook = false;
}

}  // namespace

void NoteNew() {
    if (counting.load(std::memory_order_relaxed)) newCalls.fetch_add(1, std::memory_order_relaxed);
}

void PrepareAttribution() {
    rangeCount = 0;
    bool first = true;
    dl_iterate_phdr(NoteObject, &first);
    // The first walk loads the unwinder, which allocates: not in a frame.
    void* frames[4];
    backtrace(frames, 4);
}

void StartCounting(bool attribute) {
    calls = 0;
    newCalls = 0;
    for (auto& o : owned) o = 0;
    attributing = attribute;
    counting = true;
}

AllocCounts StopCounting() {
    counting = false;
    attributing = false;
    AllocCounts c;
    c.calls = calls;
    c.newCalls = newCalls;
    for (int i = 0; i < int(Owner::Count); ++i) c.by[i] = owned[i];
    return c;
}

int TakeSites(bool gameSide, AllocSite* out, int max) {
    // A handful of entries: a plain selection sort.
    bool taken[kMaxSites] = {};
    for (int i = 0; i < siteCount; ++i) taken[i] = (sites[i].owner != Owner::Driver) != gameSide;
    int n = 0;
    for (; n < max; ++n) {
        int best = -1;
        for (int i = 0; i < siteCount; ++i)
            if (!taken[i] && (best < 0 || sites[i].calls > sites[best].calls)) best = i;
        if (best < 0) break;
        taken[best] = true;
        out[n] = sites[best];
    }
    return n;
}

void ClearSites() { siteCount = 0; }

}  // namespace bench

// ---- the replacements ----

extern "C" {

BENCH_HOOK void* malloc(size_t size) {
    bench::Note();
    return __libc_malloc(size);
}

BENCH_HOOK void* calloc(size_t count, size_t size) {
    bench::Note();
    return __libc_calloc(count, size);
}

BENCH_HOOK void* realloc(void* pointer, size_t size) {
    bench::Note();
    return __libc_realloc(pointer, size);
}

BENCH_HOOK void free(void* pointer) { __libc_free(pointer); }

BENCH_HOOK void* memalign(size_t alignment, size_t size) {
    bench::Note();
    return __libc_memalign(alignment, size);
}

BENCH_HOOK void* aligned_alloc(size_t alignment, size_t size) {
    bench::Note();
    return __libc_memalign(alignment, size);
}

BENCH_HOOK int posix_memalign(void** out, size_t alignment, size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    bench::Note();
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}

}  // extern "C"

BENCH_HOOK void* operator new(size_t size) {
    bench::NoteNew();
    void* p = malloc(size ? size : 1);
    if (!p) std::abort();  // a benchmark out of memory has nothing to report
    return p;
}
BENCH_HOOK void* operator new[](size_t size) { return operator new(size); }
BENCH_HOOK void* operator new(size_t size, const std::nothrow_t&) noexcept {
    bench::NoteNew();
    return malloc(size ? size : 1);
}
BENCH_HOOK void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
