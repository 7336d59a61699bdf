// What a backend provides beneath the layer's Win32 front (platform/common/),
// and the few calls it may make up into the front.  This is the only header
// of the front a backend includes: the front's records (windows, the queue,
// contexts, the last error) are its own.  The front implements every Win32
// call of the subset and keeps every Win32 rule: class lookup, the creation
// and destruction messages and their order, the window and GL-context
// tables, which context is current, the message queue, pixel formats and
// last errors.  A backend does only the native work below, on its own
// records of windows and contexts, recording a failure (layer_fail) where a
// call can fail.  The backend is chosen at link time: each is a library of
// its own that implements every backend_ call.
//
// null/ (no window system; the front's and the host's tests, and the
// template for a new backend):
//   - any number of windows and contexts, kept as records; swaps counted
//   - keys, close requests and exposures scripted by a test, read in at
//     PeekMessageA; a clock that moves only when slept
//   - any call that can fail made to fail, with the error and words given
//   - not: anything drawn (GL is the caller's: the tests' recorder)
// sdl/ (SDL2 on X11 or Wayland, and SDL's offscreen driver for the tests):
//   - any number of windows, each with its own SDL GL context or several
//   - keys, close requests and exposure read from SDL's queue at PeekMessageA
//   - SIGINT/SIGTERM/SIGHUP turned into the close button's request
//   - X errors and the libraries' stderr caught while windows and contexts
//     are made; a lost display ends the run with one line
//   - a swap on a minimised or unmapped window waits until it is shown again
//   - not: window moves or resizes after creation, the pointer, touch and
//     text events (nothing reads them)
// web/ (a page of html5.h and WebGL, built with Emscripten):
//   - one 640x480 captioned window (the frame in page.html) and one context
//   - keys and the caption's close button, delivered while the program yields
//   - frames drawn into a framebuffer and copied to the canvas at each swap;
//     the page's ?frame=K stops drawing after frame K
//   - a lost WebGL context waited out, and the surface and the program's GL
//     state made again when the browser gives it back; one not given back
//     ends the run with one line
//   - not: other window sizes or styles, more than one window or context,
//     the pointer (nothing reads it)
#pragma once

#include <windows.h>

#include <stddef.h>

// The backend's own records of a window and of a GL context.
struct backend_window;
struct backend_context;

// ===========================================================================
// Calls down: what every backend implements.
// ===========================================================================

// What a backend can hold at once; 0 means no limit.  A call past a limit
// fails with ERROR_NOT_SUPPORTED and the text given here.
struct backend_limits {
    size_t windows;
    const char* windows_text;
    size_t contexts;
    const char* contexts_text;
};
const backend_limits& backend_limits_of();

// --- windows
// Readies the backend for a window of this style and outer size (SDL starts
// its video here); false, with the failure recorded, when it cannot hold one.
bool backend_window_possible(DWORD style, int width, int height);
// Makes a hidden native window with the client area given, its outer
// rectangle at (x, y); NULL, with the failure recorded, when it cannot.
backend_window* backend_create_window(const char* title, DWORD style, int x, int y, int client_x,
                                      int client_y, int client_width, int client_height);
// Shows and hides a live window; destroying frees the native window.
void backend_show_window(backend_window* window, const char* title);
void backend_hide_window(backend_window* window);
void backend_destroy_window(backend_window* window);

// --- input, the clock and waiting
// Called as PeekMessageA starts, before it looks at any stage.
void backend_peek_starts();
// Called when PeekMessageA finds no input waiting: the backend may turn its
// pending events into input now (the calls up below).
void backend_pump_events();
// Milliseconds on a monotonic clock, for MSG.time.
DWORD backend_now();
// Waits this many milliseconds.
void backend_sleep(DWORD milliseconds);

// --- pixel formats and GL contexts
// A window offers one pixel format (index 1), fixed when it was made.
// ChoosePixelFormat asks whether it can be had, SetPixelFormat sets it; false,
// with the failure recorded, when the backend cannot offer it after all.
bool backend_choose_pixel_format(backend_window* window);
bool backend_set_pixel_format(backend_window* window);
// A GL context for the window's pixel format, not made current (whatever was
// current stays so); NULL, with the failure recorded, when none can be made.
backend_context* backend_create_context(backend_window* window);
// Makes the context current on the window; false, with the failure recorded.
bool backend_make_current(backend_context* context, backend_window* window);
// Leaves no context current.
void backend_release_current();
// Frees a context; if it was current, none is.
void backend_delete_context(backend_context* context);
// Shows what the window's current context has drawn.
void backend_swap(backend_window* window);

// ===========================================================================
// Calls up: what a backend may call in the front, and nothing else.
// A window is named by the backend's own record; NULL names the oldest
// top-level window, which takes close requests and unaddressed input.
// ===========================================================================

// Records a failure of the call under way, for GetLastError and
// last_failure_text().
void layer_fail(DWORD error, const char* text);

// Modifier keys held with a key.
enum layer_modifier {
    layer_shift = 1,
    layer_ctrl = 2,
    layer_alt = 4,
    layer_caps = 8,  // Caps Lock is on
};
// A key pressed or released, as a backend reads it: the key's place on a US
// keyboard as its USB HID usage (what SDL's scancodes and the DOM's
// KeyboardEvent.code both name: A is 4, Escape 41, Up 82, the right Ctrl
// 228), an auto-repeat, and the modifiers (layer_modifier bits) held.  The
// front alone knows each key's virtual-key code and PC scan code.
struct layer_key {
    int usage;
    bool down;
    bool repeat;
    int modifiers;
};
// The virtual-key code of a key by its usage; 0 when the layer has none.
int layer_virtual_key(int usage);
// Input for a window: a key message with Windows' lParam; the close button's
// request (WM_SYSCOMMAND(SC_CLOSE)).  False when there is no window to take
// it or the layer has no virtual key for the key; past the input stage's
// bound, input that cannot end the run is dropped and counts as taken.
bool layer_queue_key(backend_window* window, const layer_key& key);
bool layer_queue_close(backend_window* window);
// The window was exposed: it needs painting again (WM_PAINT follows input).
void layer_expose(backend_window* window);
// True while a posted message, a quit request or input waits for the program.
bool layer_message_waiting();

// --- the one way a run ends with a failure
// The program's name, for the failure line; set once, at entry.
void layer_set_program_name(const char* name);
// Shows the run's one failure line, "NAME: what: cause", and ends the run
// through the program's own end: its next PeekMessageA takes WM_QUIT, its
// window and context are released in the usual order, and the run's status
// is 1.  The first failure line of a run is its only one.
void layer_end_run(const char* what, const char* cause);
// The same from a signal handler, where nothing of the program can run any
// more: writes "NAME: what: cause (detail)" (no brackets when `detail` is
// empty) to `descriptor` and ends the process with status 1 at once.
// Async-signal-safe.
[[noreturn]] void layer_end_run_from_signal(int descriptor, const char* what, const char* cause,
                                            const char* detail);
// The status the start-up returns for WinMain's `result`: 1 once the run has
// failed.
int layer_run_status(int result);
