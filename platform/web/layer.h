// The browser backend's own records and the calls its files make to one
// another.  None of this is part of the Win32 surface; every name carries the
// layer_ prefix.  What it implements for the front is in ../common/backend.h.
// The page (page.html) holds the one window's frame, its canvas and the
// status line; layer_page.js is the layer's JavaScript side.
#pragma once

#include "../common/layer_common.h"

// --- input_events.cpp: the page's keyboard and the close button.
void layer_listen_for_input();
void layer_stop_listening();

// --- gl_context.cpp
// Shows the frame the window's current context has drawn on the canvas.
void layer_present_frame(HWND window);

// --- layer_page.js: the page side, implemented in JavaScript.
extern "C" {
// Shows the window's frame with its caption text, at the page's top-left.
void layer_page_show_window(const char* title);
// Takes the window off the page (the page shows the run's end instead).
void layer_page_hide_window();
// Yields to the browser until its next frame is due (requestAnimationFrame).
void layer_page_wait_frame();
// Yields to the browser for this many milliseconds (setTimeout).
void layer_page_sleep(unsigned milliseconds);
// Publishes the number of the last frame drawn (window.viewer.frame).
void layer_page_frame_drawn(int frame);
// The last frame the page should draw (its ?frame=K), or -1 for no limit.
int layer_page_frame_limit();
}
