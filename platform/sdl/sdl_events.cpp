// SDL's half of the message queue: the clock, SDL's events read into the
// input stage, and a noted signal turned into a close request.
#include "sdl_backend.h"

#include <time.h>

// NOTE: at most this many SDL events are examined per PeekMessageA, so that
// a flood of events that make no message cannot keep it from returning.
static const int queue_poll_limit = 64;

// Milliseconds of the monotonic clock, wrapping round every 49.7 days as
// GetTickCount does.
// NOTE: time_t is 32 bits on 32-bit systems, so tv_sec * 1000 would overflow
// a signed product after 24.8 days of uptime.  The product is taken in DWORD
// (unsigned 32-bit), where wrapping is defined and is the wrap we want.
DWORD backend_now()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const DWORD seconds = static_cast<DWORD>(now.tv_sec);
    const DWORD milliseconds = static_cast<DWORD>(now.tv_nsec / 1000000);
    return seconds * 1000u + milliseconds;
}

// A noted SIGINT/SIGTERM/SIGHUP becomes the close button's request once there
// is a window to close; until then it waits.
void backend_peek_starts()
{
    if (posix_signal_pending() && layer_queue_close(nullptr))
        posix_clear_signal();
}

// Reads SDL events until one makes a message.
static void events_pump_sdl()
{
    // NOTE: SDL ends each poll cycle with a sentinel event and reports "no
    // event" on reaching it, even when events came in behind it (we stop
    // reading as soon as one makes a message): 2.26, 2.32 and sdl2-compat
    // over SDL3 alike.  The next poll starts a fresh cycle and sees them, so
    // two cycles are read; the second costs one empty poll where none came.
    const int cycles = 2;
    SDL_Event event;
    int cycle_ends = 0;
    for (int polled = 0; polled < queue_poll_limit; ++polled) {
        if (sdl_wayland_display_lost())
            return;  // every poll would start with libdecor's endless dispatch
        if (!SDL_PollEvent(&event)) {
            if (++cycle_ends == cycles)
                return;
            continue;
        }
        if (sdl_take_event(event))
            return;
    }
}

// SDL is only touched once the first window has started it.
void backend_pump_events()
{
    if (!sdl_video_started())
        return;
    events_pump_sdl();
    // What the X server told the layer's own connection (a frame to place).
    sdl_x11_read_events();
}
