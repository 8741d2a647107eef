// SIGTERM and SIGINT for the SDL backend. Outside a dialog a signal becomes
// a close message at the next poll, like SDL's own handler would make it.
// Inside one it must also end the box: SDL shows it on X11 (and through
// zenity on Wayland) from a forked child and waits for that child without
// giving up on signals, so the handler kills the child; SDL's wait then
// returns and the dialog answers Quit.
//
// The child's pid reaches the handler through a page shared across the
// fork. Each side writes its own word before reading the other's, so a
// signal at the moment of the fork is seen by one of them at least.
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/sdl/sdl_state.h"

namespace platform::sdl {

namespace {

static_assert(std::atomic<int>::is_always_lock_free, "shared across processes");

struct DialogWatch {
    std::atomic<int> game;        // pid of the game itself
    std::atomic<int> dialogOpen;  // a box is being shown
    std::atomic<int> child;       // the box's process, 0 when none
    std::atomic<int> quit;        // a quit signal has arrived
};

DialogWatch* watch = nullptr;
volatile sig_atomic_t signalsArrived = 0;
sig_atomic_t signalsTaken = 0;

void OnQuitSignal(int) {
    const int savedErrno = errno;
    if (watch->game.load() != getpid()) _exit(1);  // the box's own process
    signalsArrived = signalsArrived + 1;
    watch->quit.store(1);
    const int child = watch->child.load();
    if (child > 0) kill(child, SIGKILL);
    errno = savedErrno;
}

void InChildAfterFork() {
    if (!watch->dialogOpen.load()) return;
    // The box goes with the game, even when the game is killed outright.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != watch->game.load()) _exit(1);
    watch->child.store(getpid());
    if (watch->quit.load()) _exit(1);
}

void Catch(int sig) {
    struct sigaction old {};
    sigaction(sig, nullptr, &old);
    // A shell starts background jobs with SIGINT ignored; leave that so.
    if (old.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
}

}  // namespace

void CatchQuitSignals() {
    if (watch) return;
    void* page = mmap(nullptr, sizeof(DialogWatch), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    // Without the page SDL's own handlers stay: signals still close the
    // game, only not from inside a dialog.
    if (page == MAP_FAILED) return;
    watch = new (page) DialogWatch{};
    watch->game.store(getpid());
    pthread_atfork(nullptr, nullptr, InChildAfterFork);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    Catch(SIGTERM);
    Catch(SIGINT);
}

bool QuitSignalled() { return watch && watch->quit.load(); }

bool TakeQuitSignal() {
    if (signalsTaken == signalsArrived) return false;
    signalsTaken = signalsArrived;
    return true;
}

void WatchDialogChild(bool open) {
    if (!watch) return;
    if (open) {
        watch->child.store(0);
        watch->dialogOpen.store(1);
    } else {
        watch->dialogOpen.store(0);
        watch->child.store(0);
    }
}

}  // namespace platform::sdl
