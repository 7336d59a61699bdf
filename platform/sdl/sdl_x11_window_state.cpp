// What the X server says of the windows under SDL's X11 driver, heard on a
// connection of the layer's own: whether a window is mapped or iconified,
// and where the manager put its frame, which is then moved where Windows
// would put it.  Nothing here waits for the server or the manager: events
// are read as the message loop runs, and a request is made only when one
// comes in.
// NOTE: a client that selects a window's structure events gets them whoever
// else selected them, so SDL's own connection and event handling (2.26, 2.32
// and sdl2-compat over SDL3 differ) are left alone.
#include "sdl_backend.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// Requests to put a frame where it belongs: one, and one more should the
// window land elsewhere soon after (SDL3 moves it on its own once framed).
static const int place_asks = 2;
// How soon after the first request the window may still be SDL's to move;
// later, it is the user who moved it.
static const DWORD place_second_ask_ms = 2000;

// The property's 32-bit items, at most `wanted`; 0 if it is not set so.
static unsigned long x11_read_longs(Display* display, Window window, Atom property, Atom type, long* values,
                                    long wanted)
{
    Atom found_type = 0;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, wanted, False, type, &found_type, &format, &items, &left,
                           &data) != Success ||
        !data || found_type != type || format != 32)
        items = 0;
    for (unsigned long i = 0; i < items; ++i)
        values[i] = reinterpret_cast<const long*>(data)[i];
    if (data)
        XFree(data);
    return items;
}

// True when a window manager that follows the desktop conventions runs: the
// root names a check window that names itself.
static bool x11_window_manager_running(Display* display)
{
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    long named[2] = {0, 0};
    Window holder = DefaultRootWindow(display);
    for (int i = 0; i < 2; ++i) {
        // The check window may be gone (its manager ended): the error that
        // asking it raises is ignored on this connection (sdl_x11.cpp).
        if (!x11_read_longs(display, holder, check, XA_WINDOW, &named[i], 1) || !named[i])
            return false;
        holder = static_cast<Window>(named[i]);
    }
    return named[0] == named[1];
}

// Whether the manager takes _NET_MOVERESIZE_WINDOW.
static bool x11_supports_moveresize(Display* display)
{
    long supported[1024];  // a desktop names about a hundred
    const unsigned long count = x11_read_longs(display, DefaultRootWindow(display),
                                               XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM, supported,
                                               1024);
    const Atom moveresize = XInternAtom(display, "_NET_MOVERESIZE_WINDOW", False);
    for (unsigned long i = 0; i < count; ++i) {
        if (static_cast<Atom>(supported[i]) == moveresize)
            return true;
    }
    return false;
}

bool sdl_x11_window_manager_frames_windows()
{
    if (!sdl.x11_watching || sdl.x11_lost)
        return false;
    if (!sdl.x11_watch_tried) {
        sdl.x11_watch_tried = true;
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        sdl_x11_outlive_loss_of(display);
        sdl.x11_watch = display;
        sdl.x11_frame_extents_atom = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
        sdl.x11_wm_state_atom = XInternAtom(display, "WM_STATE", False);
    }
    if (!sdl.x11_watch)
        return false;
    // Asked again for each window: a manager may have started or ended.
    sdl.x11_managed = x11_window_manager_running(sdl.x11_watch);
    sdl.x11_moveresize = sdl.x11_managed && x11_supports_moveresize(sdl.x11_watch);
    return sdl.x11_managed;
}

void sdl_x11_stop_watching_windows()
{
    if (sdl.x11_watch && !sdl.x11_lost)
        XCloseDisplay(sdl.x11_watch);
    sdl.x11_watch = nullptr;
}

void sdl_x11_watch_window(backend_window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!sdl.x11_watch || sdl.x11_lost || !SDL_GetWindowWMInfo(window->sdl_window, &info) ||
        info.subsystem != SDL_SYSWM_X11)
        return;
    window->x11_id = info.info.x11.window;
    XSelectInput(sdl.x11_watch, window->x11_id, StructureNotifyMask | PropertyChangeMask);
    XFlush(sdl.x11_watch);
}

// Moves the window so that its frame's top-left is at (x, y), once the
// manager has framed and mapped it; a place the manager keeps refusing is
// its answer.
static void x11_place_frame(backend_window* window)
{
    Display* display = sdl.x11_watch;
    if (!window->frame_to_place || !window->x11_mapped)
        return;  // placed, or not yet mapped as the server says
    long extents[4] = {};  // left, right, top, bottom
    if (x11_read_longs(display, window->x11_id, sdl.x11_frame_extents_atom, XA_CARDINAL, extents, 4) != 4)
        return;  // not framed yet: the property's event comes once it is
    int client_x = 0, client_y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, window->x11_id, DefaultRootWindow(display), 0, 0, &client_x, &client_y,
                               &child))
        return;
    // The client area belongs this far inside a frame whose top-left is at (x, y).
    const int wanted_x = window->x + static_cast<int>(extents[0]);
    const int wanted_y = window->y + static_cast<int>(extents[2]);
    const bool asked = window->x11_asks_left < place_asks;
    if (client_x == wanted_x && client_y == wanted_y)
        window->frame_to_place = false;
    if (!window->frame_to_place || (asked && client_x == window->x11_asked_x && client_y == window->x11_asked_y))
        return;
    if (window->x11_asks_left == 0 || (asked && backend_now() - window->x11_asked_at > place_second_ask_ms)) {
        window->frame_to_place = false;
        return;
    }
    --window->x11_asks_left;
    window->x11_asked_x = client_x;
    window->x11_asked_y = client_y;
    window->x11_asked_at = backend_now();
    if (sdl.x11_moveresize) {
        // NOTE: a plain move request is read by the manager by the window's
        // gravity, and openbox ignores one for the place it believes the
        // window already has: under SDL3, which asked for (x, y) as the
        // client area's place and then moved the frame off the screen to get
        // it there, the frame's (x, y) is that place.  The desktop's own
        // request names the client area's place itself (static gravity),
        // which nothing mistakes.
        XEvent request = {};
        request.xclient.type = ClientMessage;
        request.xclient.window = window->x11_id;
        request.xclient.message_type = XInternAtom(display, "_NET_MOVERESIZE_WINDOW", False);
        request.xclient.format = 32;
        const long static_gravity = StaticGravity, x_and_y_given = 3 << 8, from_an_application = 1 << 12;
        request.xclient.data.l[0] = static_gravity | x_and_y_given | from_an_application;
        request.xclient.data.l[1] = wanted_x;
        request.xclient.data.l[2] = wanted_y;
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &request);
    } else {
        // A manager without that request reads a plain one by the window's
        // gravity: static puts the client area there, north-west (the
        // default) the frame's top-left corner.
        XSizeHints hints = {};
        long supplied = 0;
        const bool static_hint = XGetWMNormalHints(display, window->x11_id, &hints, &supplied) &&
                                 (hints.flags & PWinGravity) && hints.win_gravity == StaticGravity;
        XMoveWindow(display, window->x11_id, static_hint ? wanted_x : window->x, static_hint ? wanted_y : window->y);
    }
    XFlush(display);
}

void sdl_x11_window_shown(backend_window* window)
{
    if (!window->x11_id)
        return;
    // Shown until the server says otherwise: the map it was asked for may
    // still be on its way.
    window->x11_map_asked = true;
    window->x11_asks_left = place_asks;
    sdl_x11_read_events();
}

static backend_window* x11_watched(Window id)
{
    for (backend_window* window : sdl.windows) {
        if (window->x11_id == id)
            return window;
    }
    return nullptr;
}

void sdl_x11_read_events()
{
    Display* display = sdl.x11_watch;
    // XPending reads what has arrived and asks the server nothing.
    while (display && !sdl.x11_lost && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        backend_window* window = x11_watched(event.xany.window);
        if (!window)
            continue;
        switch (event.type) {
        case MapNotify:
        case UnmapNotify:
            window->x11_mapped = event.type == MapNotify;
            window->x11_map_asked = false;
            break;
        case PropertyNotify:
            if (event.xproperty.atom == sdl.x11_wm_state_atom) {
                // Some managers iconify a window by unmapping its frame alone.
                long state = 0;
                window->x11_iconic = event.xproperty.state == PropertyNewValue &&
                                     x11_read_longs(display, window->x11_id, sdl.x11_wm_state_atom,
                                                    sdl.x11_wm_state_atom, &state, 1) == 1 &&
                                     state == IconicState;
            } else if (event.xproperty.atom != sdl.x11_frame_extents_atom) {
                continue;
            }
            break;
        case ConfigureNotify:
        case ReparentNotify:
            break;
        default:
            continue;
        }
        x11_place_frame(window);
    }
}

bool sdl_x11_window_unmapped(backend_window* window)
{
    if (!window->x11_id)
        return false;
    sdl_x11_read_events();
    return !(window->x11_mapped || window->x11_map_asked) || window->x11_iconic;
}
