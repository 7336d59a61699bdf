// A window for the layer's tests: a recording window procedure, made with the
// programs' own class and window parameters, over the backend the test
// program links: SDL's offscreen driver (TEST_BACKEND_SDL) or the null one.
#pragma once

#include "render_context.h"
#include "viewer_window.h"

#include "../../platform/common/backend.h"

#include <windows.h>

#ifdef TEST_BACKEND_SDL
#include <SDL.h>
#endif
#include <functional>
#include <vector>

struct recorded_message {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// Every message the test window procedure received, in order.
extern std::vector<recorded_message> recorded;

// Answers a message instead of DefWindowProcA when it returns true.
extern std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> window_hook;

// The style the programs create their window with.
const DWORD program_style = viewer_window_style | WS_VISIBLE;

// What the backend contract's cases (TEST_P in input_test.cpp and
// gl_test.cpp, named backend/input.CASE/null) need of a backend beyond the
// Win32 calls; each backend's test program defines `backend_under_test`.
// Events are injected where the window system hands them to the backend (SDL:
// its queue), never into the front, so that the backend's reading of them is
// what is tested; each is for the oldest window, and is read in at the next
// PeekMessageA.  A key comes as the backend reads one (layer_key): a modifier
// key's own press carries its own bit and its release does not, as SDL and
// the DOM report them (Alt's press is WM_SYSKEYDOWN with the context bit).
struct backend_driver {
    const char* name;
    void (*set_up)();  // before each case, e.g. a video driver to pick
    void (*reset)();   // the backend's own reset, once a case's windows are gone
    void (*press)(const layer_key& key);  // for the oldest window
    void (*request_close)();              // the window manager's, likewise
    void (*expose)();                     // the window system's, likewise
    const void* (*current_context)();     // as the backend sees it, or NULL
    // The native window the current context draws to (the backend's own
    // handle, one per window), or NULL when none is current.
    const void* (*drawing_to)();
    // How many frames the backend has handed the window system to show.
    long (*presented)();
    // Makes the backend refuse the next make-current with this error; NULL
    // when it cannot be made to.
    void (*fail_next_make_current)(DWORD error);
};
extern const backend_driver backend_under_test;

// Runs windows on SDL's offscreen driver (no display needed).
void use_offscreen_video();

// Creates a window of the test class (registered once, CS_OWNDC) at the
// programs' place and size; NULL if creation failed.
HWND make_test_window(DWORD style = program_style);

#ifdef TEST_BACKEND_SDL
// The one live SDL window, or NULL: tests look at what SDL was asked for.
SDL_Window* only_sdl_window();
#endif

// The messages recorded with this message number.
std::vector<recorded_message> recorded_of(UINT message);

// Takes messages off the queue and dispatches them, up to `limit`, until the
// queue is empty; returns how many were taken.
int pump_messages(int limit = 1000);

#ifdef TEST_BACKEND_SDL
// Pushes an SDL key event as a driver would deliver it.
void push_key(SDL_Scancode scancode, bool down, Uint16 modifiers = KMOD_NONE, bool repeat = false);
#endif

// Destroys what a test left behind, empties the queue and resets the front
// and the backend.
void clean_up_windows();
