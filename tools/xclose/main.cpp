// orvanthe-xclose WINDOW_ID: sends WM_DELETE_WINDOW to an X window, as a
// window manager's close box would. Xvfb has no window manager, so the
// end-to-end tests use this to close the game window. Exits 1 on any error.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool xFailed = false;

int OnXError(Display* display, XErrorEvent* event) {
    char text[256];
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fprintf(stderr, "orvanthe-xclose: X error: %s\n", text);
    xFailed = true;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanthe-xclose WINDOW_ID\n");
        return 1;
    }
    char* end = nullptr;
    // Base 0: xdotool prints decimal ids, xwininfo hex ones.
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (*argv[1] == '\0' || *end != '\0' || id == 0) {
        std::fprintf(stderr, "orvanthe-xclose: not a window id: %s\n", argv[1]);
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "orvanthe-xclose: cannot open display %s\n", XDisplayName(nullptr));
        return 1;
    }
    XSetErrorHandler(OnXError);

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, id, False, NoEventMask, &event);
    XSync(display, False);  // errors (e.g. a bad id) arrive here
    XCloseDisplay(display);
    return xFailed ? 1 : 0;
}
