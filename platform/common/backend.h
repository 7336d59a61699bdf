// What a backend provides beneath the layer's Win32 front (platform/common/).
// The front implements every Win32 call of the subset and keeps every Win32
// rule: class lookup, the creation and destruction messages and their order,
// the window and GL-context tables, which context is current, the message
// queue, pixel formats and last errors.  A backend does only the native work
// below, recording a failure (layer_fail) where a call can fail.
//
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
//     state made again when the browser gives it back
//   - not: other window sizes or styles, more than one window or context,
//     the pointer (nothing reads it)
#pragma once

#include <windows.h>

#include <stddef.h>

// The backend's own records of a window and of a GL context.
struct backend_window;
struct backend_context;

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
void backend_show_window(HWND window, const char* title);
void backend_hide_window(HWND window);
void backend_destroy_window(backend_window* native);

// --- input, the clock and waiting
// Called as PeekMessageA starts, before it looks at any stage.
void backend_peek_starts();
// Called when PeekMessageA finds no input waiting: the backend may turn its
// pending events into input now (layer_queue_key, layer_queue_close,
// layer_expose).
void backend_pump_events();
// Milliseconds on a monotonic clock, for MSG.time.
DWORD backend_now();
// Waits this many milliseconds.
void backend_sleep(DWORD milliseconds);

// --- GL contexts
// A GL context for the window's pixel format, not made current (whatever was
// current stays so); NULL, with the failure recorded, when none can be made.
backend_context* backend_create_context(HWND window);
// Makes the context current on the window; false, with the failure recorded.
bool backend_make_current(backend_context* context, HWND window);
// Leaves no context current.
void backend_release_current();
// Frees a context; if it was current, none is.
void backend_delete_context(backend_context* context);
// Shows what the window's current context has drawn.
void backend_swap(HWND window);
