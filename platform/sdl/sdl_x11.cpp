// What the SDL backend asks the X server directly, because SDL 2.26 does not
// tell: whether a window manager is there to grant borderless fullscreen.
#include <algorithm>
#include <vector>

#include "platform/sdl/sdl_state.h"

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::sdl {

namespace {

// A list of 32-bit items (atoms, window ids) set on the root window; empty
// where the property is missing or of another type.
std::vector<unsigned long> RootList(Display* display, const char* name, Atom type) {
    std::vector<unsigned long> items;
    // An atom nobody has made yet is a property nobody has set.
    const Atom property = XInternAtom(display, name, True);
    if (property == None) return items;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False, type,
                                          &actualType, &format, &count, &after, &data);
    if (status == Success && data && actualType == type && format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    return items;
}

}  // namespace

// SDL's borderless fullscreen is, on X11, a request to the window manager
// (_NET_WM_STATE_FULLSCREEN). On a bare X server (a kiosk, plain Xvfb)
// nobody reads it: the window stays as it was while SDL reports it
// fullscreen at the screen's size. A window manager that will act on it
// announces itself on the root window and lists that state as supported.
// Other drivers hand the request to a compositor, which answers it.
bool DesktopGrantsFullscreen(SDL_Window* window) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || SDL_strcmp(driver, "x11") != 0) return true;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Display* display = info.info.x11.display;
    const bool managed = !RootList(display, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty();
    const std::vector<unsigned long> supported = RootList(display, "_NET_SUPPORTED", XA_ATOM);
    const Atom state = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", True);
    return managed && state != None && std::find(supported.begin(), supported.end(), state) != supported.end();
}

}  // namespace platform::sdl
