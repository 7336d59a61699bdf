// The thread's message queue, in Windows' order: posted messages first in,
// first out; then WM_QUIT once requested; then input; then WM_PAINT.
// PeekMessageA never waits.
#include "layer.h"
#include "signals.h"

#include <deque>
#include <time.h>

struct queued_input {
    MSG message;
    int key_modifiers;  // layer_modifier bits held when the event happened
};

static std::deque<MSG> queue_posted;
static std::deque<queued_input> queue_input;
// WM_QUIT is a request, not a queued message: several merge into one.
static bool queue_quit_requested = false;
static int queue_quit_code = 0;
static int queue_key_modifiers = 0;

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

static MSG queue_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG made = {window, message, wparam, lparam, layer_now(), {0, 0}};
    return made;
}

static bool queue_accepts(const MSG& message, HWND filter, UINT first, UINT last)
{
    if (filter && message.hwnd != filter)
        return false;
    return (first == 0 && last == 0) || (message.message >= first && message.message <= last);
}

static bool queue_is_key_message(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

// A noted SIGINT/SIGTERM becomes the close button's request once there is a
// window to close; until then it waits.
static void queue_deliver_signal()
{
    if (!layer_signal_pending())
        return;
    HWND window = layer_first_window();
    if (!window)
        return;
    layer_clear_signal();
    layer_queue_input(queue_message(window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
}

static bool queue_ends_with_mouse_move()
{
    return !queue_input.empty() && queue_input.back().message.message == WM_MOUSEMOVE;
}

// Reads SDL events until one makes a message other than a mouse move (moves
// that follow one another merge, so a moving mouse is read to its latest
// position).  SDL is only touched once the first window has started it.
static void queue_pump()
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

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    // A NULL window posts to the thread, as PostThreadMessage would.
    if (window && !layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return FALSE;
    }
    queue_posted.push_back(queue_message(window, message, wparam, lparam));
    return TRUE;
}

void WINAPI PostQuitMessage(int exit_code)
{
    // NOTE: Wine keeps the last exit code when several requests merge.
    queue_quit_requested = true;
    queue_quit_code = exit_code;
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filter_min, UINT filter_max, UINT remove)
{
    if (!message) {
        layer_fail(ERROR_INVALID_PARAMETER, "no MSG to fill");
        return FALSE;
    }
    if (window && !layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return FALSE;
    }
    const bool removing = (remove & PM_REMOVE) != 0;
    queue_deliver_signal();

    for (auto posted = queue_posted.begin(); posted != queue_posted.end(); ++posted) {
        if (queue_accepts(*posted, window, filter_min, filter_max)) {
            *message = *posted;
            if (removing)
                queue_posted.erase(posted);
            return TRUE;
        }
    }

    // WM_QUIT is retrieved whatever the filter.
    if (queue_quit_requested) {
        *message = queue_message(nullptr, WM_QUIT, static_cast<WPARAM>(queue_quit_code), 0);
        if (removing)
            queue_quit_requested = false;
        return TRUE;
    }

    if (queue_input.empty())
        queue_pump();
    for (auto input = queue_input.begin(); input != queue_input.end(); ++input) {
        if (queue_accepts(input->message, window, filter_min, filter_max)) {
            *message = input->message;
            if (removing) {
                // The key state TranslateMessage sees is the one of the key
                // message last taken off the queue, as GetKeyState is.
                if (queue_is_key_message(input->message.message))
                    queue_key_modifiers = input->key_modifiers;
                queue_input.erase(input);
            }
            return TRUE;
        }
    }

    // WM_PAINT is never removed here: it comes back until the window is
    // validated (DefWindowProcA does that).
    if (HWND painting = layer_window_needing_paint(window)) {
        MSG paint = queue_message(painting, WM_PAINT, 0, 0);
        if (queue_accepts(paint, window, filter_min, filter_max)) {
            *message = paint;
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    // WM_QUIT and other thread messages reach no window procedure.
    if (!message || !message->hwnd)
        return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

void layer_queue_input(const MSG& message, int key_modifiers)
{
    // As on Windows, a mouse move replaces the one queued last for the same
    // window: a moving mouse never has more than one move waiting.
    if (message.message == WM_MOUSEMOVE && queue_ends_with_mouse_move() &&
        queue_input.back().message.hwnd == message.hwnd) {
        queue_input.back() = {message, key_modifiers};
        return;
    }
    queue_input.push_back({message, key_modifiers});
}

void layer_forget_window_messages(HWND window)
{
    for (auto posted = queue_posted.begin(); posted != queue_posted.end();)
        posted = posted->hwnd == window ? queue_posted.erase(posted) : posted + 1;
    for (auto input = queue_input.begin(); input != queue_input.end();)
        input = input->message.hwnd == window ? queue_input.erase(input) : input + 1;
}

int layer_key_modifiers()
{
    return queue_key_modifiers;
}
