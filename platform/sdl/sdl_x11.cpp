// The X display under SDL's X11 driver: X errors while windows and contexts
// are made, losing the connection, and which display could not be used and
// why.
// NOTE: Xlib's own handlers print several lines and end the process from
// inside the library; a viewer reports one line of its own instead.
#include "sdl_backend.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Records the first error while catching; outside creation, errors are
// handled as before.  No request may be made from here.
static int x11_error(Display* display, XErrorEvent* error)
{
    if (!sdl.x11_catching) {
        const XErrorHandler previous = reinterpret_cast<XErrorHandler>(sdl.x11_previous_error_handler);
        return previous ? previous(display, error) : 0;
    }
    if (!sdl.x11_error_display) {
        sdl.x11_error_display = display;
        sdl.x11_error_code = error->error_code;
        sdl.x11_request_code = error->request_code;
        sdl.x11_minor_code = error->minor_code;
    }
    return 0;
}

// The name of the extension with this major opcode; false if none has it.
static bool x11_extension_name(Display* display, int major_opcode, char* name, size_t size)
{
    int count = 0;
    char** names = XListExtensions(display, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i) {
        int major = 0, event = 0, error = 0;
        if (XQueryExtension(display, names[i], &major, &event, &error) && major == major_opcode) {
            snprintf(name, size, "%s", names[i]);
            found = true;
        }
    }
    if (names)
        XFreeExtensionList(names);
    return found;
}

// "the X server refused GLX request 3: BadValue (...)"
static const char* x11_error_words()
{
    static char words[300];
    char code[128] = "";
    XGetErrorText(sdl.x11_error_display, sdl.x11_error_code, code, sizeof code);
    char request[128] = "";
    char extension[64];
    if (sdl.x11_request_code < 128) {
        char number[16];
        snprintf(number, sizeof number, "%d", sdl.x11_request_code);
        XGetErrorDatabaseText(sdl.x11_error_display, "XRequest", number, number, request, sizeof request);
    } else if (x11_extension_name(sdl.x11_error_display, sdl.x11_request_code, extension, sizeof extension)) {
        snprintf(request, sizeof request, "%s request %d", extension, sdl.x11_minor_code);
    } else {
        snprintf(request, sizeof request, "request %d.%d", sdl.x11_request_code, sdl.x11_minor_code);
    }
    snprintf(words, sizeof words, "the X server refused %s: %s", request, code);
    return words;
}

// The run ends with its one line; Xlib's calls on the lost connection do
// nothing from now on (x11_outlive_loss), so the program reaches its own end.
static int x11_connection_lost(Display* display)
{
    posix_chatter_end();  // if it broke while a library started: the line goes to the real stderr
    sdl.x11_lost = true;
    char cause[160];
    snprintf(cause, sizeof cause, "the connection to the X server %s broke", DisplayString(display));
    layer_end_run("lost the display", cause);
    // NOTE: Mesa asks the lost display for its extensions at every swap and
    // says on stderr that they are missing; the run has said what happened,
    // so the libraries' words go to the capture until the process ends, even
    // when the connection broke inside a capture whose caller ends it next.
    posix_chatter_keep("lost the display");
    return 0;
}

// NOTE: Xlib ends the process once the handler above returns, unless the
// display has an exit handler of its own (libX11 1.7 and later) that returns:
// Xlib then marks the display as gone and its calls return at once.
static void x11_outlive_loss(Display*, void*)
{
}

void sdl_x11_stop_watching()
{
    if (!sdl.x11_watching)
        return;
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(sdl.x11_previous_error_handler));
    XSetIOErrorHandler(nullptr);
    sdl.x11_watching = false;
}

bool sdl_x11_display_lost()
{
    return sdl.x11_lost;
}

void sdl_x11_outlive_display(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdl.x11_watching && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        XSetIOErrorExitHandler(info.info.x11.display, x11_outlive_loss, nullptr);
}

void sdl_x11_watch_display()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0)
        return;
    XErrorHandler previous = XSetErrorHandler(x11_error);
    if (previous != x11_error)
        sdl.x11_previous_error_handler = reinterpret_cast<sdl_x11_error_handler>(previous);
    XSetIOErrorHandler(x11_connection_lost);
    sdl.x11_watching = true;
}

void sdl_x11_catch_errors()
{
    sdl.x11_catching = true;
    sdl.x11_error_display = nullptr;
}

const char* sdl_x11_caught_error(SDL_Window* window)
{
    // Errors come back asynchronously: a round trip brings in any the
    // requests made so far have caused.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdl.x11_watching && window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        XSync(info.info.x11.display, False);
    sdl.x11_catching = false;
    return sdl.x11_error_display ? x11_error_words() : nullptr;
}

// Why libxcb, under Xlib, could not connect to the display `name`: a name
// that is none, a screen the server lacks, memory, or no server there.
static const char* x11_connection_reason(const char* name)
{
    static char reason[64];
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(name, &screen);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    switch (error) {
    case XCB_CONN_CLOSED_PARSE_ERR:
        return "not a display name ([host]:number[.screen])";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        snprintf(reason, sizeof reason, "the X server has no screen %d", screen);
        return reason;
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return "out of memory";
    default:
        return "no X server answers there";
    }
}

const char* sdl_x11_connection_failure()
{
    static char cause[300];
    const char* name = getenv("DISPLAY");
    if (!name || !*name)
        return nullptr;
    posix_chatter_begin("cannot create the window");
    errno = 0;
    Display* display = XOpenDisplay(nullptr);
    const int error = errno;
    const char* said = posix_chatter_end();
    if (display) {
        XCloseDisplay(display);
        return nullptr;
    }
    // Xlib prints the server's reason when the server answers with a refusal
    // (a missing or wrong authorisation cookie) and nothing otherwise.
    const char* shown = sdl_quoted_name(name);
    if (*said)
        snprintf(cause, sizeof cause, "cannot open the X display %s: the display refused the connection (%s)",
                 shown, said);
    else if (error == ENOMEM)
        snprintf(cause, sizeof cause, "cannot open the X display %s: out of memory", shown);
    else
        snprintf(cause, sizeof cause, "cannot open the X display %s: %s", shown, x11_connection_reason(name));
    return cause;
}

void sdl_x11_use_named_screen()
{
    const char* name = getenv("DISPLAY");
    char* host = nullptr;
    int number = 0, screen = 0;
    if (!name || !xcb_parse_display(name, &host, &number, &screen))
        return;
    free(host);
    // NOTE: SDL 2.26 lists the displays of every X screen, screen 0's first
    // whatever screen DISPLAY names, and puts a window at (x, y) on the first
    // display that holds that point: always screen 0.  Without XRandR it
    // lists the named screen alone.  The viewers set no display modes, so
    // XRandR is not missed.  A user's own SDL_VIDEO_X11_XRANDR still wins.
    if (screen != 0)
        SDL_SetHint(SDL_HINT_VIDEO_X11_XRANDR, "0");
}

// True when a window manager that follows the desktop conventions runs: the
// root names a check window that names itself.
static bool x11_window_manager_running(Display* display)
{
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Window named[2] = {0, 0};
    Window holder = DefaultRootWindow(display);
    for (int i = 0; i < 2; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, left = 0;
        unsigned char* data = nullptr;
        // NOTE: the check window may be gone (its manager ended): ignore the
        // error that asking it would raise.
        XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        const int status = XGetWindowProperty(display, holder, check, 0, 1, False, XA_WINDOW, &type, &format,
                                              &items, &left, &data);
        XSync(display, False);
        XSetErrorHandler(previous);
        if (status == Success && data && type == XA_WINDOW && format == 32 && items == 1)
            named[i] = *reinterpret_cast<Window*>(data);
        if (data)
            XFree(data);
        if (!named[i])
            return false;
        holder = named[i];
    }
    return named[0] == named[1];
}

bool sdl_x11_window_manager_frames_windows()
{
    if (!sdl.x11_watching)
        return false;
    // The display connection is SDL's; a hidden 1x1 window would be needed
    // to get it from SDL, so a short connection of our own asks instead.
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const bool running = x11_window_manager_running(display);
    XCloseDisplay(display);
    return running;
}

// The X display and window of an SDL window on X11; false off X11.
static bool x11_window_of(SDL_Window* window, Display** display, Window* x_window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!sdl.x11_watching || sdl.x11_lost || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *x_window = info.info.x11.window;
    return true;
}

// Where the window's client area is on the root window.
static bool x11_client_origin(Display* display, Window window, int* x, int* y)
{
    Window child = 0;
    return XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, x, y, &child);
}

// The left and top of the frame the window manager drew round `window`, once
// it has (_NET_FRAME_EXTENTS is set) and the window shows.
static bool x11_frame_extents(Display* display, Window window, int* left, int* top)
{
    XWindowAttributes attributes = {};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, left_over = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, window, extents, 0, 4, False, XA_CARDINAL, &type, &format,
                                          &items, &left_over, &data) == Success &&
                       data && type == XA_CARDINAL && format == 32 && items == 4;
    if (found) {
        const long* values = reinterpret_cast<const long*>(data);  // left, right, top, bottom
        *left = static_cast<int>(values[0]);
        *top = static_cast<int>(values[2]);
    }
    if (data)
        XFree(data);
    return found;
}

// Polls `done` every 10 ms for up to 2 s: the window manager acts in its own
// time, and one that never does must not hold the program for long.
template <typename Condition>
static bool x11_within_a_while(Condition done)
{
    for (int waited_ms = 0; waited_ms < 2000; waited_ms += 10) {
        if (done())
            return true;
        SDL_Delay(10);
    }
    return done();
}

void sdl_x11_place_frame(SDL_Window* window, int x, int y)
{
    Display* display = nullptr;
    Window x_window = 0;
    int left = 0, top = 0, client_x = 0, client_y = 0;
    if (!x11_window_of(window, &display, &x_window) ||
        !x11_within_a_while([&] { return x11_frame_extents(display, x_window, &left, &top); }))
        return;
    // The client area belongs this far inside a frame whose top-left is at (x, y).
    const int wanted_x = x + left, wanted_y = y + top;
    const auto placed = [&] {
        return !x11_client_origin(display, x_window, &client_x, &client_y) ||
               (client_x == wanted_x && client_y == wanted_y);
    };
    if (placed())
        return;
    // NOTE: a plain move request is read by the manager by the window's
    // gravity, and openbox ignores one for the place it believes the window
    // already has: under SDL3, which asked for (x, y) as the client area's
    // place and then moved the frame off the screen to get it there, the
    // frame's (x, y) is that place.  The desktop's own request names the
    // client area's place itself (static gravity), which nothing mistakes.
    XEvent request = {};
    request.xclient.type = ClientMessage;
    request.xclient.window = x_window;
    request.xclient.message_type = XInternAtom(display, "_NET_MOVERESIZE_WINDOW", False);
    request.xclient.format = 32;
    const long static_gravity = StaticGravity, x_and_y_given = 3 << 8, from_an_application = 1 << 12;
    request.xclient.data.l[0] = static_gravity | x_and_y_given | from_an_application;
    request.xclient.data.l[1] = wanted_x;
    request.xclient.data.l[2] = wanted_y;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &request);
    XFlush(display);
    if (x11_within_a_while(placed))
        return;
    // A manager without that request reads a plain one by the window's
    // gravity: static puts the client area there, north-west (the default)
    // the frame's top-left corner.
    XSizeHints hints = {};
    long supplied = 0;
    const bool static_hint = XGetWMNormalHints(display, x_window, &hints, &supplied) &&
                             (hints.flags & PWinGravity) && hints.win_gravity == StaticGravity;
    XMoveWindow(display, x_window, static_hint ? wanted_x : x, static_hint ? wanted_y : y);
    XFlush(display);
    x11_within_a_while(placed);
}

bool sdl_x11_window_unmapped(SDL_Window* window)
{
    Display* display = nullptr;
    Window x_window = 0;
    XWindowAttributes attributes = {};
    if (!x11_window_of(window, &display, &x_window) || !XGetWindowAttributes(display, x_window, &attributes))
        return false;
    return attributes.map_state != IsViewable;
}

// Motif's window manager hints: which functions and decorations to offer.
struct x11_motif_hints {
    unsigned long flags, functions, decorations;
    long input_mode;
    unsigned long status;
};
static const unsigned long x11_motif_functions = 1, x11_motif_decorations = 2;
static const unsigned long x11_function_resize = 2, x11_function_move = 4, x11_function_minimize = 8,
                           x11_function_maximize = 16, x11_function_close = 32;
static const unsigned long x11_decor_border = 2, x11_decor_resize = 4, x11_decor_title = 8, x11_decor_menu = 16,
                           x11_decor_minimize = 32, x11_decor_maximize = 64;

void sdl_x11_offer_style(SDL_Window* window, DWORD style)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!sdl.x11_watching || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    x11_motif_hints hints = {x11_motif_functions | x11_motif_decorations, 0, 0, 0, 0};
    if (style & WS_BORDER)
        hints.decorations |= x11_decor_border;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        hints.functions |= x11_function_move;
        hints.decorations |= x11_decor_title;
    }
    if (style & WS_SYSMENU) {
        hints.functions |= x11_function_close;
        hints.decorations |= x11_decor_menu;
    }
    if (style & WS_THICKFRAME) {
        hints.functions |= x11_function_resize;
        hints.decorations |= x11_decor_resize;
    }
    if (style & WS_MINIMIZEBOX) {
        hints.functions |= x11_function_minimize;
        hints.decorations |= x11_decor_minimize;
    }
    if (style & WS_MAXIMIZEBOX) {
        hints.functions |= x11_function_maximize;
        hints.decorations |= x11_decor_maximize;
    }
    Display* display = info.info.x11.display;
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, info.info.x11.window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hints), 5);
    // NOTE: openbox takes only moving, resizing and whether to decorate at
    // all from these hints, and keeps its minimise and maximise buttons;
    // other window managers drop what is not offered.
    XFlush(display);
}
