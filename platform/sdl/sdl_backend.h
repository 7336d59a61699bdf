// The SDL backend: SDL2 on X11 or Wayland, and SDL's offscreen driver for the
// tests.
//   - any number of windows, each with its own SDL GL context or several
//   - keys, close requests and exposure read from SDL's queue at PeekMessageA
//   - SIGINT/SIGTERM/SIGHUP turned into the close button's request
//   - X errors and the libraries' stderr caught while windows and contexts
//     are made; a lost display ends the run with one line
//   - a swap on a minimised or unmapped window waits until it is shown again
//   - not: window moves or resizes after creation, the pointer, touch and
//     text events (nothing reads them)
//
// The SDL backend's own records and the calls its files make to one another.
// None of this is part of the Win32 surface; every name carries the layer_
// prefix.  What it implements for the front, and the calls it makes up into
// the front, are in backend.h.
#pragma once

#include "../common/backend.h"
#include "../posix/posix.h"

#include <SDL.h>

#include <string>
#include <vector>

struct backend_window {
    SDL_Window* sdl_window;
    Uint32 sdl_id;
    DWORD style;           // as made: a window without WS_VISIBLE is hidden on purpose
    bool single_buffered;  // its GL contexts draw without a back buffer
    int x, y;     // where Win32 puts the outer rectangle (the frame) on the screen
    bool placed;  // the frame was put there once shown
};

// True when the SDL in use is no newer than major.minor.patch: a workaround
// for a fault seen in that version applies only up to it.
bool layer_sdl_at_most(int major, int minor, int patch);

// --- sdl_failure_cause.cpp
// The cause of a failed creation step: the X error when one came, else SDL's
// error, followed by the libraries' last words in brackets when they said any.
const char* layer_failure_cause(const char* x_error, const char* said);
// A display's name (DISPLAY, WAYLAND_DISPLAY) as a failure line shows it:
// quoted, cut short, with no control characters.
const char* layer_quoted_name(const char* name);

// --- sdl_video.cpp: SDL's video subsystem, started by the first window.
// The video drivers SDL will try, in its order: those SDL_VIDEODRIVER names
// (the one place it is read), or SDL 2.26's own order of the drivers that
// show a window when it names none; `named` (if given) tells which.
std::vector<std::string> layer_video_drivers(bool* named);
// True once a real display is up; on failure the reason is recorded.
bool layer_start_video();
bool layer_video_started();

// --- sdl_wayland.cpp
// Keeps SDL off a Wayland display that has no input seat (SDL 2.26.5 crashes
// starting on one): false, with the failure recorded, when no other driver is
// left to try.  Called before SDL's video start-up.
bool layer_avoid_seatless_wayland();
// Which Wayland display in WAYLAND_DISPLAY could not be connected to and
// why; NULL when it is unset, inherited (WAYLAND_SOCKET) or connects.
const char* layer_wayland_connection_failure();
// When the windows' Wayland connection has broken, ends the run with "NAME:
// lost the display: cause" (layer_end_run) and returns true.
bool layer_wayland_display_lost();


// --- sdl_x11.cpp: the X display under SDL's X11 driver.
// Once video has started on X11: X errors outside window and context
// creation are handled as before; losing the connection ends the run with
// the one line "NAME: lost the display: ..." (layer_end_run).
void layer_x11_watch_display();
// Once a window is made: a lost connection to its display leaves Xlib's
// calls doing nothing, so that the program reaches its own end.
void layer_x11_outlive_display(SDL_Window* window);
// True once the connection to the X display has broken.
bool layer_x11_display_lost();
// Around window and context creation: X errors are recorded, not fatal.
void layer_x11_catch_errors();
// Ends the catching after a round trip on `window`'s connection (when one is
// given); the first error in words, or NULL when none came.
const char* layer_x11_caught_error(SDL_Window* window);
// Which X display in DISPLAY could not be opened and why ("cannot open the
// X display ":93": no X server answers there"); NULL when DISPLAY is unset
// or the display opens.
const char* layer_x11_connection_failure();
// Before SDL's video starts: windows are to go on the X screen DISPLAY names
// (":0.1" is screen 1), not on screen 0.
void layer_x11_use_named_screen();
// True when SDL runs on X11 under a window manager, which frames windows and
// places the frame, not the client area, where a window asks to be.
bool layer_x11_window_manager_frames_windows();
// Once `window` is mapped under a window manager: measures where the frame
// and the client area landed and moves the window until the frame's
// top-left is at (x, y), as Windows puts the outer rectangle, the client
// area below the manager's own title bar.  SDL2 asks for the frame's place,
// SDL3 (sdl2-compat) for the client area's; measuring serves both.
void layer_x11_place_frame(SDL_Window* window, int x, int y);
// True when the X server shows nothing of `window`: unmapped, iconified, or
// inside a frame that is.  False off X11.  SDL3 keeps a window it showed as
// shown whatever the window manager did since, so the flags cannot tell.
bool layer_x11_window_unmapped(SDL_Window* window);
// Asks the window manager for the buttons and functions of a Win32 style
// only (Motif hints): a caption moves, a system menu closes, and so on.
void layer_x11_offer_style(SDL_Window* window, DWORD style);

// --- sdl_window.cpp
// The live window SDL knows by this id; NULL if none.
backend_window* layer_window_from_sdl_id(Uint32 sdl_id);
// The oldest live window; NULL if none.
backend_window* layer_sdl_first_window();

// --- sdl_hidden_wait.cpp
// Returns at once unless `window` is minimised or unmapped; then waits for
// it to be shown again, for a message to wait in the queue, or for a
// signal's close request.
void layer_wait_while_hidden(backend_window* window);

// --- sdl_input.cpp
// Turns one SDL event into input (queued) or window state; false if it made
// no message.
bool layer_take_event(const SDL_Event& event);
// Keeps the events that make no message (pointer, touch, text) out of SDL's
// queue.  Called once SDL's video has started.
void layer_ignore_unread_events();
