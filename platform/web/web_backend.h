// The browser backend: a page of html5.h and WebGL, built with Emscripten.
//   - one 640x480 captioned window (the frame in page.html) and one context
//   - keys and the caption's close button, delivered while the program yields
//   - frames drawn into a framebuffer and copied to the canvas at each swap;
//     the page's ?frame=K stops drawing after frame K
//   - a lost WebGL context waited out, and the surface and the program's GL
//     state made again when the browser gives it back; one not given back
//     ends the run with one line
//   - not: other window sizes or styles, more than one window or context (a
//     context is refused on another window), the pointer (nothing reads it)
//
// The browser backend's own records and the calls its files make to one
// another.  None of this is part of the Win32 surface; every name carries the
// web_ prefix.  What it implements for the front, and the calls it makes up
// into the front, are in backend.h.
// The page (page.html) holds the one window's frame, its canvas and the
// status line; web_page.js is the layer's JavaScript side.
#pragma once

#include "../common/backend.h"

#include <vector>

// The page's one window: its client area's size, as made.
struct backend_window {
    int client_width, client_height;
};

// The browser backend's whole state, in one record, reset by web_reset.
// (The GL that the programs call keeps its own record, in web_gl.cpp: it
// stands for the desktop's GL library, which is no part of a backend.)
struct web_state {
    // The context current on the page's one canvas; NULL when none is.
    backend_context* current_context = nullptr;
    // The picture a page holds after its last frame (?frame=K), read back
    // once: a lost context takes the surface with it, and the program will
    // not draw that frame again.
    std::vector<unsigned char> held_pixels;
    // Frames shown so far; the page's ?frame=K stops showing them after
    // frame K.
    int frames_shown = 0;
    // How long the context has been away while the page was shown; kept
    // across the waits a message cuts short, so that keys cannot put the
    // deadline off.
    int loss_waited_ms = 0;
};
extern web_state web;
// Frees what the front holds (layer_reset_front), which deletes the context
// and takes the window off the page, and empties the record: the state of a
// page that has made no window yet.
void web_reset();

// --- web_input.cpp: the page's keyboard and the close button.
void web_listen_for_input();
void web_stop_listening();

// --- web_gl_context.cpp (over the browser's GL, web_gl.h)
// Shows the frame the window's current context has drawn on the canvas.
void web_present_frame(backend_window* window);
// After the browser gave a lost context back: makes the surface and the
// batches' objects again in it, bound for drawing, with the GL state the
// program had set; false when WebGL refuses.
bool web_remake_surface();
// Keeps a copy of the frame just drawn (a held last picture), and shows it
// again on a surface made anew.
void web_keep_frame(backend_window* window);
void web_present_kept_frame(backend_window* window);

// --- web_context_loss.cpp
// Returns false at once while the context is live.  Otherwise waits for the
// browser to restore it, then makes the surface and the program's state
// again and returns true; returns false early, the context still lost, when
// a message waits for the program; ends the run (layer_end_run, status 1)
// and returns false if the context is not restored in time.
bool web_wait_while_context_lost();

// --- web_page.js: the page side, implemented in JavaScript.
extern "C" {
// The window's frame as page.html draws it: its outer size and its client
// area's top, in CSS pixels at full scale.
void web_page_window_frame(int* width, int* height, int* client_top);
// Shows the window's frame with its caption text, at the page's top-left.
void web_page_show_window(const char* title);
// Takes the window off the page (the page shows the run's end instead).
void web_page_hide_window();
// Yields to the browser until its next frame is due (requestAnimationFrame).
void web_page_wait_frame();
// Yields to the browser for this many milliseconds (setTimeout).
void web_page_sleep(unsigned milliseconds);
// Publishes the number of the last frame drawn (window.viewer.frame).
void web_page_frame_drawn(int frame);
// The program's name as the page knows it, into `name` (`size` bytes).
void web_page_program_name(char* name, int size);
// The last frame the page should draw (its ?frame=K), or -1 for no limit.
int web_page_frame_limit();
// Tells the page the numbers of the context's states below, once at start-up.
void web_page_context_states(int live, int lost, int lost_hidden, int restored);
// Whether the canvas's WebGL context is live, lost, lost while the page is
// hidden, or given back with the layer's objects not yet made again
// (web_context_...).  While it is lost, the page's status line says that
// the picture waits for the browser.
int web_page_context_state();
// Counts a context lost as it was made as one loss, whether or not its
// event comes, so that its return reads as a restore.
void web_page_context_lost_at_start();
// The layer has made its objects again for every loss so far (and the page
// no longer says that the picture waits).
void web_page_context_mended();
// The context is gone for good: the page's status line no longer says that
// the picture waits for it.
void web_page_context_gone();
// Whether the window (not the close button or another control) has the
// keyboard, so that scrolling keys would scroll the page.
int web_page_window_has_focus();
}
// The context's states, as web_page_context_state gives them.
enum { web_context_live, web_context_lost, web_context_lost_hidden, web_context_restored };
