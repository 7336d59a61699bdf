/* send_close_request [--desktop] WINDOW_ID: asks an X11 window to close the
 * way a window manager's close button does, with a WM_DELETE_WINDOW client
 * message; with --desktop, asks the window manager to close it, as a
 * taskbar or pager does (_NET_CLOSE_WINDOW on the root window).
 * (Destroying the window, as some tools do, would not be a close request.)
 * Exits 0 when the message was sent, 1 when the display cannot be opened,
 * 2 on a wrong argument. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    const int desktop = argc == 3 && strcmp(argv[1], "--desktop") == 0;
    char *end = NULL;
    unsigned long window = argc == 2 + desktop ? strtoul(argv[1 + desktop], &end, 0) : 0;
    if (window == 0 || *end != '\0') {
        fprintf(stderr, "usage: send_close_request [--desktop] WINDOW_ID\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "send_close_request: cannot open the display\n");
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = (Window)window;
    event.xclient.format = 32;
    event.xclient.data.l[1] = CurrentTime;
    if (desktop) {
        /* data: the time, then the source: 2 a pager or taskbar */
        event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = 2;
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    } else {
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSendEvent(display, (Window)window, False, NoEventMask, &event);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
