// Starting SDL's video subsystem, lazily, from the first CreateWindowExA: the
// programs build their terrain before they make a window, and nothing in the
// layer touches SDL before that.
#include "sdl_backend.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

static bool video_variable_set(const char* name)
{
    const char* value = getenv(name);
    return value && *value;
}

std::vector<std::string> sdl_video_drivers(bool* named)
{
    const char* asked = getenv("SDL_VIDEODRIVER");
    if (named)
        *named = asked && *asked;
    if (!asked || !*asked)
        asked = "x11,wayland";
    std::vector<std::string> drivers;
    for (const char* item = asked; item;) {
        const char* end = strchr(item, ',');
        drivers.emplace_back(item, end ? static_cast<size_t>(end - item) : strlen(item));
        item = end ? end + 1 : nullptr;
    }
    return drivers;
}

// True when SDL will try `driver`.
static bool video_driver_tried(const char* driver)
{
    for (const std::string& tried : sdl_video_drivers(nullptr)) {
        if (strcasecmp(tried.c_str(), driver) == 0)
            return true;
    }
    return false;
}

// Drivers that show nothing on any screen.
static bool video_driver_headless(const char* driver)
{
    return driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
}

// SDL's own log: SDL3 (under sdl2-compat) writes errors there that SDL2
// only kept for SDL_GetError, such as a lost Wayland connection.  A run
// shows only its own failure line, so SDL's words count as the libraries'
// chatter: kept while a step's chatter is captured (where they may become
// its cause), dropped otherwise.
static void video_log(void*, int, SDL_LogPriority, const char* message)
{
    if (posix_chatter_capturing())
        fprintf(stderr, "%s\n", message);
}

// Runs SDL's video start-up with the libraries' chatter captured; on failure
// their last words are the cause when SDL has none better.
static int video_init_quietly()
{
    posix_chatter_begin("cannot create the window");
    const int result = SDL_InitSubSystem(SDL_INIT_VIDEO);
    const char* said = posix_chatter_end();
    if (result != 0 && *said)
        SDL_SetError("%s (%s)", SDL_GetError(), said);
    return result;
}

// Which display could not be used, and why, among those SDL may have tried
// (X11 first, as SDL tries it); NULL when none can be named.
static const char* video_display_failure()
{
    const char* failure = video_driver_tried("x11") ? sdl_x11_connection_failure() : nullptr;
    if (!failure && video_driver_tried("wayland"))
        failure = sdl_wayland_connection_failure();
    return failure;
}

bool sdl_start_video()
{
    if (sdl.video_started)
        return true;
    // NOTE: SDL 2.26 falls back on its offscreen driver by itself when it
    // finds no display, and a viewer would then run invisibly forever.
    bool driver_named = false;
    sdl_video_drivers(&driver_named);
    if (!driver_named && !video_variable_set("DISPLAY") && !video_variable_set("WAYLAND_DISPLAY")) {
        layer_fail(ERROR_NOT_SUPPORTED, "no display");
        return false;
    }
    // The window manager's close request must reach the program as WM_CLOSE,
    // never as a quit SDL makes up; and the C runtime start-up, not SDL,
    // decides what SIGINT, SIGTERM and SIGHUP do.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_LogSetOutputFunction(video_log, nullptr);
    if (!sdl_avoid_seatless_wayland())
        return false;
    sdl_x11_use_named_screen();
    if (video_init_quietly() != 0) {
        const char* failure = video_display_failure();
        layer_fail(ERROR_NOT_SUPPORTED, failure ? failure : SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (video_driver_headless(driver) && !video_driver_tried(driver)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        const char* failure = video_display_failure();
        layer_fail(ERROR_NOT_SUPPORTED, failure ? failure : "no display");
        return false;
    }
    sdl_x11_watch_display();
    sdl_ignore_unread_events();
    sdl.video_started = true;
    return true;
}

bool sdl_video_started()
{
    return sdl.video_started;
}

sdl_state sdl;

void sdl_reset()
{
    layer_reset_front();
    if (sdl.video_started) {
        sdl_x11_stop_watching_windows();
        sdl_x11_stop_watching();
        if (!sdl.x11_lost)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    sdl = sdl_state();
}
