// The viewer's one window: its class, its creation and its window procedure.
#pragma once

#include <windows.h>

// Turns Escape and every close request into a quit request (WM_QUIT, code 0);
// leaves everything else to the default processing.
LRESULT CALLBACK viewer_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Registers the window class "GLSample" and creates the 640x480 window
// titled "KOLVAR Map Editor" at the screen's top-left corner, visible at once.
// Returns NULL when the window cannot be made.
HWND create_viewer_window(HINSTANCE instance);
