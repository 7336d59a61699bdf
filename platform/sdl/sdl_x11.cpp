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
    // The watching connection asks about windows that may be gone by then.
    if (display == sdl.x11_watch)
        return 0;
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
    if (sdl.x11_lost)  // both connections noticed: one line
        return 0;
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

void sdl_x11_outlive_loss_of(_XDisplay* display)
{
    XSetIOErrorExitHandler(display, x11_outlive_loss, nullptr);
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
