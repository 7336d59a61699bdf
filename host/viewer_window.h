// The viewer's one window: its class, its creation and its window procedure.
#pragma once

#include <windows.h>

// The window every viewer opens.  Its size is the outer size, caption and
// frame included, so the client area is smaller by the window system's frame.
const char* const viewer_window_class_name = "GLSample";
const char* const viewer_window_title = "KOLVAR Map Editor";
const int viewer_window_width = 640;
const int viewer_window_height = 480;
// A caption with the system menu and close button; no sizing frame and no
// minimise or maximise box, so the user cannot change the size.
const DWORD viewer_window_style = WS_POPUP | WS_CAPTION | WS_SYSMENU;

// Turns Escape and every close request into a quit request (WM_QUIT, code 0);
// leaves everything else to the default processing.
LRESULT CALLBACK viewer_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Registers the window class and creates the window at the screen's top-left
// corner, visible at once.  A tool that must see more than the client area
// of the viewers' window may ask for another outer size; the viewers never
// do.  Returns NULL when the window cannot be made.
HWND create_viewer_window(HINSTANCE instance, int width = viewer_window_width,
                          int height = viewer_window_height);
