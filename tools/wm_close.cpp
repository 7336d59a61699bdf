// wm_close WINDOW: asks an X11 window to close the way a window manager's
// close button does, with a WM_DELETE_WINDOW client message.  (xdotool's
// windowkill and windowclose destroy the window or kill its client instead.)
// Exit status 0 once the message is sent, 1 if it cannot be, 2 on bad usage.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    char* end = nullptr;
    const unsigned long window = argc == 2 ? std::strtoul(argv[1], &end, 0) : 0;
    if (argc != 2 || end == argv[1] || *end != '\0' || window == 0) {
        std::fprintf(stderr, "usage: wm_close WINDOW-ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "wm_close: cannot open the display\n");
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (!sent) {
        std::fprintf(stderr, "wm_close: cannot send to window %lu\n", window);
        return 1;
    }
    return 0;
}
