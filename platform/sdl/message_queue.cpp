// The SDL side of the message queue: the clock, SDL's events read into the
// input stage, and a noted signal turned into a close request.
#include "layer.h"
#include "signals.h"

#include <time.h>

// NOTE: at most this many SDL events are examined per PeekMessageA, so that
// a flood of events that make no message cannot keep it from returning.
static const int queue_poll_limit = 64;

// Milliseconds of the monotonic clock, wrapping round every 49.7 days as
// GetTickCount does.
// NOTE: time_t is 32 bits on 32-bit systems, so tv_sec * 1000 would overflow
// a signed product after 24.8 days of uptime.  The product is taken in DWORD
// (unsigned 32-bit), where wrapping is defined and is the wrap we want.
DWORD layer_now()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const DWORD seconds = static_cast<DWORD>(now.tv_sec);
    const DWORD milliseconds = static_cast<DWORD>(now.tv_nsec / 1000000);
    return seconds * 1000u + milliseconds;
}

// A noted SIGINT/SIGTERM/SIGHUP becomes the close button's request once there
// is a window to close; until then it waits.
void layer_peek_starts()
{
    if (!layer_signal_pending())
        return;
    HWND window = layer_first_window();
    if (!window)
        return;
    layer_clear_signal();
    MSG close = {window, WM_SYSCOMMAND, SC_CLOSE, 0, layer_now(), {0, 0}};
    layer_queue_input(close, 0);
}

static bool queue_ends_with_mouse_move()
{
    const std::deque<layer_queued_input>& input = layer_input_stage();
    return !input.empty() && input.back().message.message == WM_MOUSEMOVE;
}

// Reads SDL events until one makes a message other than a mouse move (moves
// that follow one another merge, so a moving mouse is read to its latest
// position).  SDL is only touched once the first window has started it.
void layer_pump_input()
{
    if (!layer_video_started())
        return;
    SDL_Event event;
    int cycle_ends = 0;
    for (int polled = 0; polled < queue_poll_limit; ++polled) {
        if (!SDL_PollEvent(&event)) {
            // NOTE: SDL 2.26 ends each poll cycle with a sentinel event and
            // reports "no event" on reaching it, even when events came in
            // behind it (we stop reading as soon as one makes a message).
            // The next poll starts a fresh cycle and sees them.
            if (++cycle_ends == 2)
                return;
            continue;
        }
        if (layer_take_event(event) && !queue_ends_with_mouse_move())
            return;
    }
}

void layer_queue_input(const MSG& message, int modifiers)
{
    // As on Windows, a mouse move replaces the one queued last for the same
    // window: a moving mouse never has more than one move waiting.
    std::deque<layer_queued_input>& input = layer_input_stage();
    if (message.message == WM_MOUSEMOVE && queue_ends_with_mouse_move() &&
        input.back().message.hwnd == message.hwnd) {
        input.back() = {message, modifiers};
        return;
    }
    input.push_back({message, modifiers});
}
