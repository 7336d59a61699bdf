// What a backend provides beneath the layer's Win32 front (platform/common/),
// and the few calls it may make up into the front: the whole contract between
// them.  This is the only header of the front a backend includes; the front's
// records (windows, the queue, contexts, the last error) are its own.  What
// each backend does and does not do is written at the top of its own header
// (null/null_backend.h, sdl/sdl_backend.h, web/web_backend.h).
//
// Who does what.  The front implements every Win32 call of the subset and
// keeps every Win32 rule: class lookup, argument checks, the creation and
// destruction messages and their order, the window and GL-context tables,
// which context is current, the message queue, the pixel-format index, the
// limits a backend declares, and last errors.  A backend does only the native
// work below, on its own records (backend_window, backend_context, which it
// defines), and calls nothing of the front but the block of calls up.  The
// backend is chosen at link time: each is a library of its own that
// implements every backend_ call (the CMake option TERRAIN_BACKEND picks one
// from the list in the top CMakeLists.txt).
//
// Threads.  The front and every call down run on the program's one thread,
// and a backend calls up only from it, but for layer_end_run_from_signal in a
// signal handler.  A library may call a backend's callback from a thread of
// its own (SDL's log output): such a callback calls nothing of the front and
// reads only what is atomic or never changes (posix_chatter_capturing is).
//
// Blocking.  No call down waits on the user.  backend_pump_events and
// backend_peek_starts never wait; backend_show_window returns once the
// window system has the request, without waiting for a window manager to
// frame or place the window (what the manager does is read from its events
// as the program runs: the first frame must not wait on a desktop);
// backend_sleep waits as long as asked, or until a signal asks for a close;
// backend_swap waits only while the window cannot be seen (below), waking
// at least every 250 ms to look for a message.
//
// Failures.  A call that can fail returns false or NULL and, before it
// returns, records why with layer_fail(error, text).  `error` is one of
//   ERROR_NOT_SUPPORTED        the window system cannot do it (no display, no
//                              GL, a limit of the backend's own, a style)
//   ERROR_INVALID_PIXEL_FORMAT no pixel format, a context the window's format
//                              cannot carry, or a context on a window it
//                              cannot draw to
//   ERROR_INVALID_HANDLE       the native context was refused
// as each call below says.  `text` is the cause the failure line shows after
// "NAME: what: " (the front and the host add `what` and the advice).  Where
// the user can act on it, it is these words, which the desktop cases and the
// host's advice (host/failure_advice.cpp) look for:
//   "no display"               no display variable set and no driver named:
//                              the whole cause (the advice follows it)
//   "the display refused the connection"   the X server turned the
//                              connection away (authorisation), within
//                              "cannot open the X display ":N": ..."
//   "no screen N"              DISPLAY names screen N, which the server lacks
//   "X display", "Wayland display"         in a cause about that display
//   "GLX"                      in any cause about the X server's GL
// and for the display lost during a run, layer_end_run("lost the display",
// cause).  Elsewhere the cause is the system's own words (SDL_GetError, an X
// error by name), followed by the libraries' last words on stderr in brackets
// (posix_chatter_end).  The front never asks a backend to act on a record it
// has freed, and only calls down with records the backend gave it.
//
// The pixel format.  Every window a backend makes offers one pixel format,
// index 1, fixed when the window is made (X11 fixes a window's visual then):
// RGBA, double-buffered, at least 8 bits for each of red, green and blue, a
// depth buffer of at least 16 bits, drawable by a legacy (compatibility)
// OpenGL 1.1 or later context, or its stand-in (the browser's immediate mode
// over WebGL).  The front checks what ChoosePixelFormat is asked for and which
// index SetPixelFormat is given; the backend only says whether it can give
// that format on this window after all.
//
// Contexts and windows.  A context is made for one window's pixel format.
// backend_make_current may be given a context and another window: WGL allows
// it when the two windows share a pixel format, and a backend does it if it
// can (null, SDL); one that cannot (the page, which has one canvas) refuses
// with ERROR_INVALID_PIXEL_FORMAT.  A refused backend_make_current leaves the
// front making no context current (it calls backend_release_current), as WGL
// does after a failed wglMakeCurrent.
//
// Style bits.  The front reads WS_CHILD (refused: top-level windows only) and
// WS_VISIBLE (it calls backend_show_window once the creation messages are
// sent), and puts the frame layer_window_frame_of_style gives (window_frame.h:
// WS_CAPTION, WS_DLGFRAME, WS_BORDER) around the client area.  A backend is
// handed the style for what only the window system can do with it, and a
// window manager offers the user exactly what the bits ask, nothing more
// (X11: the Motif hints' functions and decorations, which set what
// _NET_WM_ALLOWED_ACTIONS then lists):
//   WS_BORDER                  a border
//   WS_CAPTION                 a title bar; the user may move the window
//   WS_SYSMENU                 the window menu; the user may close it
//   WS_THICKFRAME              resize handles; the user may resize it
//   WS_MINIMIZEBOX             a minimise button; the user may minimise it
//   WS_MAXIMIZEBOX             a maximise button; the user may maximise it
// The viewers' style (WS_CAPTION | WS_SYSMENU) is moved and closed only: no
// resizing, minimising or maximising offered.  A backend may refuse a style
// it cannot show (the page holds only the captioned frame) with
// ERROR_NOT_SUPPORTED.  Other bits need not be read.
//
// Where a window goes.  The window's outer rectangle is at (x, y): on a
// screen without a window manager the backend draws no frame and puts the
// client area at (client_x, client_y), inside where the Win32 frame would be
// (the viewers' at (3, 22)); under a window manager that frames windows, the
// manager's frame goes at (x, y) and the client area where the manager puts
// it inside its frame (under openbox at the frame's left and top border
// widths).  Window managers place frames as they like: a backend reads
// where the frame landed once the window is shown and asks the manager once
// (or once more, should the window system itself move it soon after) to put
// its top-left at (x, y).  A desktop that keeps windows out of its panels
// may refuse: the frame then stays where the desktop put it (GNOME's and
// Xfce's below a top panel), and nothing waits for it to move.
//
// Resting.  While a window the program showed cannot be seen (minimised,
// iconified by the window manager, or unmapped by the program or by any
// other client), backend_swap rests, learning it from the window system's
// events, not from a request each frame: it returns only once the window can be seen
// again, a message waits (layer_message_waiting) or a signal asks for a
// close, and uses next to no processor meanwhile (a tenth of what drawing
// uses is the desktop cases' bound).  A window covered or moved off the
// screen, and one the program never showed, draw on.
//
// A lost display.  The backend notices it where the window system's library
// tells it (an error callback, a failed read) and calls layer_end_run("lost
// the display", cause): the line is shown, and the run ends through the
// program's own end.  A library that ends the process once its callback
// returns (Xlib's I/O error handler) must be kept from it so that the
// program gets there: with libX11 1.7 or later the display's exit handler
// (XSetIOErrorExitHandler) returns, after which Xlib's calls on the display
// do nothing; where that cannot be had, the line is shown all the same and
// the library's exit ends the process with status 1.  A backend never calls
// exit, and uses layer_end_run_from_signal only in a signal handler.
//
// The entry point.  The start-up (main, which calls WinMain) is the
// backend's.  Before WinMain it sets the program's name for failure lines
// (layer_set_program_name: the command's base name, or what the page says);
// gives WinMain the command line without the program's name, a non-null
// instance, a null previous instance and SW_SHOWDEFAULT; and returns
// layer_run_status(WinMain's result) through the usual end (exit, not
// _exit, so that the C library's exit handlers run).  A backend that shows
// windows on a POSIX system also opens any of standard input, output and
// error that the program was started without on /dev/null before anything
// opens a file (or the display's connection could become descriptor 2), and
// turns the first SIGINT, SIGTERM or SIGHUP (not an ignored
// SIGHUP) into the close button's request (layer_queue_close(NULL)) while a
// second ends the process at once; a signal handler ends a failed run only
// through layer_end_run_from_signal.  A backend never calls exit itself.
// A Linux backend links platform/posix/ for both (posix.h), and for the
// capture of the libraries' stderr while it starts them.
#pragma once

#include <windows.h>

#include <stddef.h>

// The backend's own records of a window and of a GL context.
struct backend_window;
struct backend_context;

// ===========================================================================
// Calls down: what every backend implements.
// ===========================================================================

// What a backend can hold at once; 0 means no limit.  The front checks them:
// CreateWindowExA and wglCreateContext past a limit fail with
// ERROR_NOT_SUPPORTED and the text given here, and backend_create_window and
// backend_create_context are not called (backend_window_possible has been:
// it comes before the check).  Read at every creation; the record must live
// as long as the program.
struct backend_limits {
    size_t windows;
    const char* windows_text;
    size_t contexts;
    const char* contexts_text;
};
const backend_limits& backend_limits_of();

// --- windows
// Readies the backend for a window of this style and outer size (SDL starts
// its video here), before the front checks the backend's limits.  The front
// has found the class and refused children and menus.  False, with the
// failure recorded (ERROR_NOT_SUPPORTED: no display, a style or size the
// backend cannot show), when it cannot hold one.
bool backend_window_possible(DWORD style, int width, int height);
// Makes a hidden native window with the client area given, its outer
// rectangle at (x, y) (see "Where a window goes" above).  The front has put
// the frame of the style around the client area: the client's place and size
// are within int, and the size at least 1x1.  NULL, with the failure recorded (ERROR_NOT_SUPPORTED), when it
// cannot.  No message is sent from here: the front sends the creation
// messages once it has the record.
backend_window* backend_create_window(const char* title, DWORD style, int x, int y, int client_x,
                                      int client_y, int client_width, int client_height);
// Shows a hidden window with its caption, and hides a shown one; each is
// called once per change, on a live window (a window never shown is never
// hidden, not even as it is destroyed), and cannot fail.  Showing waits at
// most the backend's bound for a window manager (see "Blocking").
void backend_show_window(backend_window* window, const char* title);
void backend_hide_window(backend_window* window);
// Frees the native window and its record.  Whatever context was current on
// it the front has released first; contexts made for it may live on.
void backend_destroy_window(backend_window* window);

// --- input, the clock and waiting
// Called as PeekMessageA starts, before it looks at any stage: a backend may
// note here what must not wait for input (a lost display, a signal).
void backend_peek_starts();
// Called when PeekMessageA finds no input waiting: the backend turns its
// pending events into input now (the calls up below), at least until one
// makes a message, and returns without waiting.  A backend with an unbounded
// stream of events looks at a bounded number each time.
void backend_pump_events();
// Milliseconds on a monotonic clock, for MSG.time; it may wrap.
DWORD backend_now();
// Waits this many milliseconds (Sleep), whatever interrupts it; 0 yields.
void backend_sleep(DWORD milliseconds);

// --- pixel formats and GL contexts
// ChoosePixelFormat, once the front has checked the request (RGBA, drawn to a
// window, OpenGL): can the window give its one format (above)?
// SetPixelFormat, once the front has checked the index (1) and that the
// window has no format yet: sets it.  Each false, with the failure recorded
// (ERROR_INVALID_PIXEL_FORMAT), when the backend cannot offer it after all.
bool backend_choose_pixel_format(backend_window* window);
bool backend_set_pixel_format(backend_window* window);
// A GL context for the window's pixel format (the front has checked that the
// window has it, and the backend's limit), not made current: whatever was
// current stays so.  Each call makes a context of its own, which outlives the
// window it was made for.  NULL, with the failure recorded
// (ERROR_NOT_SUPPORTED, ERROR_INVALID_HANDLE, or ERROR_INVALID_PIXEL_FORMAT
// when the window's format cannot carry one, as SDL records), when none can
// be made.
backend_context* backend_create_context(backend_window* window);
// Makes the context current, drawing to the window given, not to the one it
// was made for (which has its pixel format and may be gone; see "Contexts
// and windows" above).  False, with the failure recorded
// (ERROR_INVALID_PIXEL_FORMAT: not on this window; ERROR_INVALID_HANDLE: the
// native context was refused); the front then calls backend_release_current.
bool backend_make_current(backend_context* context, backend_window* window);
// Leaves no context current; harmless when none is.
void backend_release_current();
// Frees a context; if it was current, none is.
void backend_delete_context(backend_context* context);
// Presents what the window's current context has drawn: each call hands one
// frame to the window system to show (the front has checked that a context
// is current on this window).  It rests while the window cannot be seen (see
// "Resting") or its context is lost (the page); it cannot fail, and a display
// lost meanwhile ends the run (layer_end_run).
void backend_swap(backend_window* window);

// ===========================================================================
// Calls up: what a backend may call in the front, and nothing else.
// A window is named by the backend's own record; NULL names the oldest
// top-level window, which takes close requests and unaddressed input.
// ===========================================================================

// Records a failure of the call under way, for GetLastError and
// last_failure_text().
void layer_fail(DWORD error, const char* text);

// Modifier keys held with a key.
enum layer_modifier {
    layer_shift = 1,
    layer_ctrl = 2,
    layer_alt = 4,
    layer_caps = 8,  // Caps Lock is on
};
// A key pressed or released, as a backend reads it: the key's place on a US
// keyboard as its USB HID usage (what SDL's scancodes and the DOM's
// KeyboardEvent.code both name: A is 4, Escape 41, Up 82, the right Ctrl
// 228), an auto-repeat, and the modifiers (layer_modifier bits) held.  A
// modifier key's own press carries its own bit and its release does not, as
// SDL and the DOM report them: Alt's press is WM_SYSKEYDOWN.  The
// front alone knows each key's virtual-key code and PC scan code.
struct layer_key {
    int usage;
    bool down;
    bool repeat;
    int modifiers;
};
// The virtual-key code of a key by its usage; 0 when the layer has none.
int layer_virtual_key(int usage);
// Input for a window: a key message with Windows' lParam; the close button's
// request (WM_SYSCOMMAND(SC_CLOSE)).  False when there is no window to take
// it or the layer has no virtual key for the key; past the input stage's
// bound, input that cannot end the run is dropped and counts as taken.
bool layer_queue_key(backend_window* window, const layer_key& key);
bool layer_queue_close(backend_window* window);
// The window was exposed: it needs painting again (one WM_PAINT follows any
// input).  A backend passes on every exposure its window system reports.
void layer_expose(backend_window* window);
// True while a posted message, a quit request or input waits for the program:
// a backend that waits (a hidden window, a lost context) stops waiting then.
bool layer_message_waiting();

// --- the one way a run ends with a failure
// The program's name, for the failure line; set once, at entry.
void layer_set_program_name(const char* name);
// Shows the run's one failure line, "NAME: what: cause", and ends the run
// through the program's own end: its next PeekMessageA takes WM_QUIT, its
// window and context are released in the usual order, and the run's status
// is 1.  The first failure line of a run is its only one.
void layer_end_run(const char* what, const char* cause);
// The same from a signal handler, where nothing of the program can run any
// more: writes "NAME: what: cause (detail)" (no brackets when `detail` is
// empty) to `descriptor` and ends the process with status 1 at once.
// Async-signal-safe.
[[noreturn]] void layer_end_run_from_signal(int descriptor, const char* what, const char* cause,
                                            const char* detail);
// The status the start-up returns for WinMain's `result`: 1 once the run has
// failed.
int layer_run_status(int result);

// ===========================================================================
// For the tests: never called by a backend's own code.
// ===========================================================================

// Puts the front back as it was at start: frees every context and window
// (through the calls down, with no message sent), every class, every queued
// message, the last error, the program's name and a failed run's mark.  The
// tests call it between cases (a test backend's own reset calls it first).
void layer_reset_front();
