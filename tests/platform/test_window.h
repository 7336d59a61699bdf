// A window for the layer's tests: a recording window procedure, made with the
// programs' own class and window parameters on SDL's offscreen driver.
#pragma once

#include "render_context.h"
#include "viewer_window.h"

#include <windows.h>

#include <SDL.h>
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

// Runs windows on SDL's offscreen driver (no display needed).
void use_offscreen_video();

// Creates a window of the test class (registered once, CS_OWNDC) at the
// programs' place and size; NULL if creation failed.
HWND make_test_window(DWORD style = program_style);

// The one live SDL window, or NULL: tests look at what SDL was asked for.
SDL_Window* only_sdl_window();

// The messages recorded with this message number.
std::vector<recorded_message> recorded_of(UINT message);

// Takes messages off the queue and dispatches them, up to `limit`, until the
// queue is empty; returns how many were taken.
int pump_messages(int limit = 1000);

// Pushes an SDL key event as a driver would deliver it.
void push_key(SDL_Scancode scancode, bool down, Uint16 modifiers = KMOD_NONE, bool repeat = false);

// Destroys what a test left behind and empties the queue.
void clean_up_windows();
