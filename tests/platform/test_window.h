// A window for the layer's tests: a recording window procedure, made with the
// programs' own class and window parameters, over whichever backend the test
// links (SDL's helpers are in sdl_driver.h).
#pragma once

#include "render_context.h"
#include "viewer_window.h"

#include <windows.h>

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

// Creates a window of the test class (registered once, CS_OWNDC) at the
// programs' place and size; NULL if creation failed.
HWND make_test_window(DWORD style = program_style);

// The messages recorded with this message number.
std::vector<recorded_message> recorded_of(UINT message);

// Takes messages off the queue and dispatches them, up to `limit`, until the
// queue is empty; returns how many were taken.
int pump_messages(int limit = 1000);

// Destroys what a test left behind, empties the queue and resets the front
// (layer_reset_front).
void clean_up_windows();
