/* send_input_burst WINDOW_ID KEYS MOVES: floods the X server with synthetic
 * input over the window, as fast as the connection takes it: KEYS key taps
 * (press and release) cycling through ordinary keys, never Escape, and MOVES
 * pointer moves inside the window with a left or right click every eighth.
 * Prints the number of events sent.  Exits 0 when sent, 1 when the display or
 * the XTest extension is missing, 2 on wrong arguments. */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <stdio.h>
#include <stdlib.h>

static const KeySym burst_keys[] = {
    XK_a, XK_s, XK_d, XK_q, XK_space, XK_Return, XK_Tab, XK_BackSpace,
    XK_Left, XK_Right, XK_Up, XK_Down, XK_F1, XK_F2, XK_1, XK_2, XK_Shift_L, XK_Control_L,
};

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: send_input_burst WINDOW_ID KEYS MOVES\n");
        return 2;
    }
    Window window = (Window)strtoul(argv[1], NULL, 0);
    long keys = atol(argv[2]), moves = atol(argv[3]);
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "send_input_burst: cannot open the display\n");
        return 1;
    }
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
        fprintf(stderr, "send_input_burst: no XTest extension\n");
        return 1;
    }
    XWindowAttributes attributes;
    Window child;
    int left = 0, top = 0;
    XGetWindowAttributes(display, window, &attributes);
    XTranslateCoordinates(display, window, attributes.root, 0, 0, &left, &top, &child);
    const int width = attributes.width > 0 ? attributes.width : 1;
    const int height = attributes.height > 0 ? attributes.height : 1;

    long events = 0;
    const long key_count = (long)(sizeof burst_keys / sizeof burst_keys[0]);
    for (long i = 0; i < keys; ++i) {
        KeyCode code = XKeysymToKeycode(display, burst_keys[i % key_count]);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        events += 2;
    }
    for (long i = 0; i < moves; ++i) {
        XTestFakeMotionEvent(display, -1, left + (int)((i * 37) % width), top + (int)((i * 53) % height),
                             CurrentTime);
        ++events;
        if (i % 8 == 0) {
            const unsigned button = i % 16 == 0 ? 1 : 3;
            XTestFakeButtonEvent(display, button, True, CurrentTime);
            XTestFakeButtonEvent(display, button, False, CurrentTime);
            events += 2;
        }
    }
    XSync(display, False);
    XCloseDisplay(display);
    printf("%ld\n", events);
    return 0;
}
