// The OpenGL rendering context on the viewer's window, with the fixed
// viewport, projection and render state every frame relies on.
#pragma once

#include "viewer_window.h"

#include <windows.h>

// The viewport has the window's outer size, so its top rows and right-hand
// columns fall outside the smaller client area.  It is set once and never
// follows the window's size.
const int viewport_width = viewer_window_width;
const int viewport_height = viewer_window_height;

// The pixel format the viewers ask for: the whole record zero, then a
// double-buffered RGBA window format with 24 colour and 16 depth bits.
PIXELFORMATDESCRIPTOR viewer_pixel_format();

// Gets the window's device context, sets a double-buffered RGBA pixel format
// with 24 colour and 16 depth bits, creates the rendering context, makes it
// current and sets the fixed state.  Returns NULL when all went well, else
// what could not be done; then nothing is left current or allocated.
const char* setup_render_context(HWND window, HDC* device_context_out, HGLRC* rendering_context_out);

// Sets the viewport, the projection and the render state on the current
// context.  setup_render_context does it once; nothing changes them after.
void set_fixed_gl_state();

// Unbinds and deletes the rendering context and gives the device context
// back.  The window itself stays.
void release_render_context(HWND window, HDC device_context, HGLRC rendering_context);
