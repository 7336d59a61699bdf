// A backend with no window system: windows and contexts are records, swaps
// are counted, input is scripted and any call that can fail can be told to.
// The front's and the host's tests run over it, and a new backend starts as
// a copy of it: null_window.cpp, null_input.cpp and null_context.cpp each
// implement one part of backend.h.  What follows is the null backend's own
// face, for the tests; a real backend has only backend.h.
#pragma once

#include "../common/backend.h"

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
void null_press_key(backend_window* window, int virtual_key, bool down = true, int modifiers = 0);
void null_request_close(backend_window* window);
void null_expose(backend_window* window);

// --- what the backend holds and has done
// Live windows in creation order.
const std::vector<backend_window*>& null_windows();
// The current context and the window it is current on; NULL when none.
backend_context* null_current_context();
long null_swaps();

// Every call down as it comes, by its name without backend_ ("create_window",
// "peek_starts", "swap", ...), with the numbers it was given.
using null_listener = std::function<void(const char* call, const std::vector<double>& values)>;
void null_listen(null_listener listener);

// Forgets scripted input, failures, limits, the listener and the count of
// swaps; live windows and contexts stay until the front frees them.
void null_reset();

// --- between the null backend's files
// Tells the listener of a call.
void null_tell(const char* call, const std::vector<double>& values = {});
// True, with the failure recorded, when the call is to fail this time.
bool null_fails(null_call call);
void null_reset_input();
void null_reset_contexts();
