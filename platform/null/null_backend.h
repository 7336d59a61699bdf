// The null backend: no window system.
//   - any number of windows and contexts, kept as records; swaps counted
//   - keys, close requests and exposures scripted by a test, read in at
//     PeekMessageA one at a time; a clock that moves only when slept
//   - any call that can fail made to fail, with the error and words given;
//     limits on windows and contexts as a test sets them
//   - a context may be made current on any window with the pixel format
//   - not: anything drawn (GL is the caller's: the tests' recorder), signals
// The front's and the host's tests run over it, and a new backend starts as
// a copy of it: null_window.cpp, null_input.cpp and null_context.cpp each
// implement one part of backend.h, null_entry.cpp the start-up.  What follows
// is the null backend's own face, for the tests; a real backend has only
// backend.h.
#pragma once

#include "../common/backend.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A window as the front asked for it.
struct backend_window {
    std::string title;
    DWORD style;
    int x, y;                   // the outer rectangle's top-left
    int client_x, client_y;     // the client area's place and size
    int client_width, client_height;
    bool shown;
};

struct backend_context {
    backend_window* window;
};

// --- failures to play back
// The calls down that can fail.
enum null_call {
    null_window_possible,
    null_create_window,
    null_choose_pixel_format,
    null_set_pixel_format,
    null_create_context,
    null_make_current,
    null_call_count
};
// The next call of this kind fails, recording `error` and `text`.
void null_fail_next(null_call call, DWORD error, const char* text);
// What the backend says it can hold (backend_limits_of); none by default.
void null_set_limits(const backend_limits& limits);

// --- scripted input, read in at PeekMessageA one event at a time, as a
// window system hands its events over (NULL: no window named)
void null_press(backend_window* window, const layer_key& key);
// The US keyboard's first key with that virtual key (of a pair, the left).
void null_press_key(backend_window* window, int virtual_key, bool down = true, int modifiers = 0);
void null_request_close(backend_window* window);
void null_expose(backend_window* window);

// --- what the backend holds and has done
// Live windows in creation order.
const std::vector<backend_window*>& null_windows();
// The current context and the window it draws to; NULL when none.
backend_context* null_current_context();
backend_window* null_drawing_window();
long null_swaps();

// Every call down as it comes, by its name without backend_ ("create_window",
// "peek_starts", "swap", ...), with the numbers it was given.
using null_listener = std::function<void(const char* call, const std::vector<double>& values)>;
void null_listen(null_listener listener);

// Resets the front (layer_reset_front), which frees every window and context
// left, and then the null backend: scripted input, failures, limits, the
// listener, the clock and the count of swaps.
void null_reset();

// --- between the null backend's files
// A scripted event, waiting to be read in.
struct null_event {
    enum { key, close, expose } kind;
    backend_window* window;
    layer_key pressed;
};
struct null_failure {
    bool armed;
    DWORD error;
    std::string text;
};
// The null backend's whole state, in one record.
struct null_state {
    std::vector<backend_window*> windows;  // live, in creation order
    backend_limits limits = {0, "", 0, ""};
    null_listener listener;
    null_failure failures[null_call_count] = {};
    std::deque<null_event> pending;  // scripted input not yet read in
    DWORD clock = 0;                 // moves only when slept
    backend_context* current = nullptr;
    backend_window* drawing = nullptr;  // the window the current context draws to
    long swaps = 0;
};
extern null_state null;
// Tells the listener of a call.
void null_tell(const char* call, const std::vector<double>& values = {});
// True, with the failure recorded, when the call is to fail this time.
bool null_fails(null_call call);
