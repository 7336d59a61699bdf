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
// None of this is part of the Win32 surface; every name carries the sdl_
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
    int x, y;          // where Win32 puts the outer rectangle (the frame) on the screen
    bool frame_to_place;  // a window manager frames it: put the frame at (x, y) once framed
    // What the X server said of the window, read from its events
    // (sdl_x11_window_state.cpp); unused off X11.
    unsigned long x11_id;      // the X window, 0 while not watched
    bool x11_mapped;           // the server said the client window was mapped
    bool x11_map_asked;        // shown by the program, the server's word not yet read
    bool x11_iconic;           // the manager says it is iconified (WM_STATE)
    int x11_asks_left;         // requests left to put the frame at (x, y)
    DWORD x11_asked_at;        // when the last was made (backend_now)
    int x11_asked_x, x11_asked_y;  // where the client area was then
};

struct _XDisplay;
// An Xlib error handler, kept as this type so that Xlib stays out of the
// files that never talk to X (sdl_x11.cpp casts it back).
using sdl_x11_error_handler = int (*)(_XDisplay*, void*);

// The SDL backend's whole state, in one record, reset by sdl_reset.
struct sdl_state {
    std::vector<backend_window*> windows;  // live, in creation order: a handful at most
    bool video_started = false;
    // The X display under SDL's X11 driver (sdl_x11.cpp).
    bool x11_watching = false;  // SDL's video runs on X11
    bool x11_lost = false;      // the connection to the display broke
    bool x11_catching = false;  // errors are recorded, not fatal
    sdl_x11_error_handler x11_previous_error_handler = nullptr;
    // The first error caught: its display and codes.
    _XDisplay* x11_error_display = nullptr;
    unsigned char x11_error_code = 0, x11_request_code = 0, x11_minor_code = 0;
    // A connection of the layer's own that hears what happens to the windows
    // (sdl_x11_window_state.cpp), opened by the first window on X11.
    _XDisplay* x11_watch = nullptr;
    bool x11_watch_tried = false;
    bool x11_managed = false;     // a window manager runs (it frames windows)
    bool x11_moveresize = false;  // it names _NET_MOVERESIZE_WINDOW in _NET_SUPPORTED
    unsigned long x11_frame_extents_atom = 0, x11_wm_state_atom = 0;
    // The windows' connection under SDL's Wayland driver (sdl_wayland.cpp).
    void* wayland_display = nullptr;  // its wl_display, once a window is made there
    bool wayland_lost = false;        // it broke, and the run was ended for it
};
extern sdl_state sdl;
// Frees what the front holds (layer_reset_front), stops SDL's video and gives
// Xlib its own handlers back, and empties the record: the state of a process
// that has made no window yet.  The tests call it between cases.
void sdl_reset();

// True when the SDL in use is no newer than major.minor.patch: a workaround
// for a fault seen in that version applies only up to it.
bool sdl_at_most(int major, int minor, int patch);

// --- sdl_failure_cause.cpp
// The cause of a failed creation step: the X error when one came, else SDL's
// error, followed by the libraries' last words in brackets when they said any.
const char* sdl_failure_cause(const char* x_error, const char* said);
// A display's name (DISPLAY, WAYLAND_DISPLAY) as a failure line shows it:
// quoted, cut short, with no control characters.
const char* sdl_quoted_name(const char* name);

// --- sdl_video.cpp: SDL's video subsystem, started by the first window.
// The video drivers SDL will try, in its order: those SDL_VIDEODRIVER names
// (the one place it is read), or SDL 2.26's own order of the drivers that
// show a window when it names none; `named` (if given) tells which.
std::vector<std::string> sdl_video_drivers(bool* named);
// True once a real display is up; on failure the reason is recorded.
bool sdl_start_video();
bool sdl_video_started();

// --- sdl_wayland.cpp
// Keeps SDL off a Wayland display that has no input seat (SDL 2.26.5 crashes
// starting on one): false, with the failure recorded, when no other driver is
// left to try.  Called before SDL's video start-up.
bool sdl_avoid_seatless_wayland();
// Which Wayland display in WAYLAND_DISPLAY could not be connected to and
// why; NULL when it is unset, inherited (WAYLAND_SOCKET) or connects.
const char* sdl_wayland_connection_failure();
// Notes the Wayland connection of a window just made (nothing off Wayland).
void sdl_wayland_watch_window(SDL_Window* window);
// When the windows' Wayland connection has broken, ends the run with "NAME:
// lost the display: cause" (layer_end_run), once, and returns true.  Asks
// libwayland only, cheap enough before every SDL poll; once SDL has reported
// a quit (`quit_came`), looks at the socket too.
// NOTE: SDL's event pump starts with libdecor's dispatch, whose loop (the
// cairo plugin's, libdecor 0.2.5, at least) never ends once the connection has
// an error while events wait in its queue, as when the swap's own read met
// the broken connection: SDL must not be polled after that.
bool sdl_wayland_display_lost(bool quit_came = false);
// --- sdl_wayland_gdk.cpp: once a window is made on Wayland (libdecor has
// loaded its plugin): a lost compositor that GDK, inside libdecor's GTK
// plugin, notices first still ends the run with the layer's own line.
void sdl_wayland_hear_gdk();


// --- sdl_x11.cpp: the X display under SDL's X11 driver.
// Once video has started on X11: X errors outside window and context
// creation are handled as before; losing the connection ends the run with
// the one line "NAME: lost the display: ..." (layer_end_run).
void sdl_x11_watch_display();
// Once a window is made: a lost connection to its display leaves Xlib's
// calls doing nothing, so that the program reaches its own end.
void sdl_x11_outlive_display(SDL_Window* window);
// True once the connection to the X display has broken.
bool sdl_x11_display_lost();
// Gives Xlib back the error handlers it had before sdl_x11_watch_display.
void sdl_x11_stop_watching();
// Around window and context creation: X errors are recorded, not fatal.
void sdl_x11_catch_errors();
// Ends the catching after a round trip on `window`'s connection (when one is
// given); the first error in words, or NULL when none came.
const char* sdl_x11_caught_error(SDL_Window* window);
// Which X display in DISPLAY could not be opened and why ("cannot open the
// X display ":93": no X server answers there"); NULL when DISPLAY is unset
// or the display opens.
const char* sdl_x11_connection_failure();
// Before SDL's video starts: windows are to go on the X screen DISPLAY names
// (":0.1" is screen 1), not on screen 0.
void sdl_x11_use_named_screen();
// Lets Xlib's calls on `display` do nothing once its connection broke.
void sdl_x11_outlive_loss_of(_XDisplay* display);

// --- sdl_x11_window_state.cpp: what the X server says of the windows, heard
// on a connection of the layer's own (SDL3 keeps its own flags whatever the
// manager did, and asking the server at every frame costs a round trip).
// True when SDL runs on X11 under a window manager, which frames windows and
// places the frame, not the client area, where a window asks to be.  Opens
// the watching connection and reads the manager's _NET_SUPPORTED once.
bool sdl_x11_window_manager_frames_windows();
// Starts hearing `window`'s map state, frame and place: called once it is
// made, before it is ever mapped.
void sdl_x11_watch_window(backend_window* window);
// The program shows `window`: under a window manager, its frame is put at
// (x, y), as Windows puts the outer rectangle, once the manager has framed
// it, as its events come in; the manager's refusal is its answer.  Nothing
// here waits for the manager.
void sdl_x11_window_shown(backend_window* window);
// Reads what the server has sent on the watching connection, without
// asking it anything; acts on it.  Called as the message loop runs.
void sdl_x11_read_events();
// True when the X server shows nothing of `window`: unmapped or iconified,
// as its events say.  False off X11.  SDL3 keeps a window it showed as
// shown whatever the window manager did since, so the flags cannot tell.
bool sdl_x11_window_unmapped(backend_window* window);
// Closes the watching connection (sdl_reset).
void sdl_x11_stop_watching_windows();

// Asks the window manager for the buttons and functions of a Win32 style
// only (Motif hints): a caption moves, a system menu closes, and so on.
void sdl_x11_offer_style(SDL_Window* window, DWORD style);

// --- sdl_window.cpp
// The live window SDL knows by this id; NULL if none.
backend_window* sdl_window_from_id(Uint32 sdl_id);

// --- sdl_hidden_wait.cpp
// Returns at once unless `window` is minimised or unmapped; then waits for
// it to be shown again, for a message to wait in the queue, or for a
// signal's close request.
void sdl_wait_while_hidden(backend_window* window);

// --- sdl_input.cpp
// Turns one SDL event into input (queued) or window state; false if it made
// no message.
bool sdl_take_event(const SDL_Event& event);
// Keeps the events that make no message (pointer, touch, text) out of SDL's
// queue.  Called once SDL's video has started.
void sdl_ignore_unread_events();
