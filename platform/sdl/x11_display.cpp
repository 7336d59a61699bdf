// The X display under SDL's X11 driver: X errors while windows and contexts
// are made, losing the connection, and why a display could not be used.
// NOTE: Xlib's own handlers print several lines and end the process from
// inside the library; a viewer reports one line of its own instead.
#include "layer.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static bool x11_watching = false;  // SDL's video runs on X11
static XErrorHandler x11_previous_error_handler = nullptr;
static bool x11_catching = false;

static Display* x11_error_display = nullptr;
static XErrorEvent x11_error_event;

// Records the first error while catching; outside creation, errors are
// handled as before.  No request may be made from here.
static int x11_error(Display* display, XErrorEvent* error)
{
    if (!x11_catching)
        return x11_previous_error_handler ? x11_previous_error_handler(display, error) : 0;
    if (!x11_error_display) {
        x11_error_display = display;
        x11_error_event = *error;
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
    const XErrorEvent& error = x11_error_event;
    char code[128] = "";
    XGetErrorText(x11_error_display, error.error_code, code, sizeof code);
    char request[128] = "";
    char extension[64];
    if (error.request_code < 128) {
        char number[16];
        snprintf(number, sizeof number, "%d", error.request_code);
        XGetErrorDatabaseText(x11_error_display, "XRequest", number, number, request, sizeof request);
    } else if (x11_extension_name(x11_error_display, error.request_code, extension, sizeof extension)) {
        snprintf(request, sizeof request, "%s request %d", extension, error.minor_code);
    } else {
        snprintf(request, sizeof request, "request %d.%d", error.request_code, error.minor_code);
    }
    snprintf(words, sizeof words, "the X server refused %s: %s", request, code);
    return words;
}

// NOTE: Xlib ends the process once this returns; it must not return.
static int x11_connection_lost(Display* display)
{
    fprintf(stderr, "%s: lost the display: the connection to the X server %s broke\n",
            program_invocation_short_name, DisplayString(display));
    exit(1);
}

void layer_x11_watch_display()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0)
        return;
    XErrorHandler previous = XSetErrorHandler(x11_error);
    if (previous != x11_error)
        x11_previous_error_handler = previous;
    XSetIOErrorHandler(x11_connection_lost);
    x11_watching = true;
}

void layer_x11_catch_errors()
{
    x11_catching = true;
    x11_error_display = nullptr;
}

const char* layer_x11_caught_error(SDL_Window* window)
{
    // Errors come back asynchronously: a round trip brings in any the
    // requests made so far have caused.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (x11_watching && window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        XSync(info.info.x11.display, False);
    x11_catching = false;
    return x11_error_display ? x11_error_words() : nullptr;
}

const char* layer_x11_connection_failure()
{
    static char cause[300];
    const char* name = getenv("DISPLAY");
    if (!name || !*name)
        return nullptr;
    layer_chatter_begin("cannot create the window");
    errno = 0;
    Display* display = XOpenDisplay(nullptr);
    const int error = errno;
    const char* said = layer_chatter_end();
    if (display) {
        XCloseDisplay(display);
        return nullptr;
    }
    // Xlib prints the server's reason when the server answers with a refusal
    // (a missing or wrong authorisation cookie) and nothing when no server is
    // there.
    if (*said) {
        snprintf(cause, sizeof cause, "the display refused the connection (%s)", said);
        return cause;
    }
    if (error == ENOMEM)
        return "out of memory";
    return nullptr;
}
