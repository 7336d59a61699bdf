// The layer's front: its records and the calls its files make to one
// another, private to common/.  None of this is part of the Win32 surface;
// every name carries the layer_ prefix.  What a backend implements, and the
// calls it makes up into the front, are in backend.h.
#pragma once

#include "backend.h"

#include <windows.h>

#include <deque>
#include <signal.h>
#include <string>
#include <vector>

// A window's private device context (CS_OWNDC): one per window, for its
// life.  The window's pixel format is kept here, as it is set and read
// through the device context.
struct win32_device_context {
    HWND window;
    int pixel_format;  // 0 until SetPixelFormat, then the one index it took
};

struct win32_window {
    WNDPROC procedure;
    DWORD style;
    int client_width, client_height;
    win32_device_context device_context;
    backend_window* native;
    bool needs_paint;  // WM_PAINT is produced while set; validation clears it
    bool destroying;   // inside DestroyWindow: its messages are on their way
    bool shown;        // the backend has shown it: only then is it hidden
    // Which window this is: a window freed inside its own window procedure
    // may be followed by a new one at the same address.
    unsigned long serial;
};

struct win32_gl_context {
    backend_context* native;
};

// A registered window class.
struct layer_class {
    std::string name;
    ATOM atom;
    WNDPROC procedure;
};

// A message in the queue's input stage, with the modifiers (layer_modifier
// bits) held when it happened.
struct layer_input_entry {
    MSG message;
    int modifiers;
};

// The stock objects: distinct addresses the programs only pass back to us.
struct win32_icon {
    int unused;
};
struct win32_cursor {
    int unused;
};
struct win32_gdi_object {
    int unused;
};

// The front's whole state: every file of common/ keeps what it owns here and
// nowhere else, and layer_reset_front puts it back as it was at start.
struct layer_front_state {
    // failure.cpp: the last error, and the run's end with a failure.
    DWORD error = ERROR_SUCCESS;
    char error_text[256] = "";
    // Copied, so that the signal path reads only memory of its own.
    char program_name[64] = "";
    // Set once the run's failure line has been shown: read by the signal
    // path, where only a volatile sig_atomic_t is safe to read.
    volatile sig_atomic_t run_failed = 0;

    // window_classes.cpp: registered classes live until the process ends, as
    // on Windows.
    std::vector<layer_class> classes;
    win32_icon application_icon = {};
    win32_cursor arrow_cursor = {};
    win32_gdi_object black_brush = {};

    // window_table.cpp: live windows in creation order (a handful at most, so
    // every lookup is a scan), and the serial the next one gets.
    std::vector<HWND> windows;
    unsigned long next_window_serial = 1;

    // gl_context.cpp: live contexts; the context current on the thread and
    // the window it draws to, NULL and NULL when none is.
    std::vector<HGLRC> contexts;
    HGLRC current = nullptr;
    HWND current_window = nullptr;

    // message_queue.cpp: posted messages, the input stage, and WM_QUIT, which
    // is a request rather than a queued message (several merge into one).
    std::deque<MSG> posted;
    std::deque<layer_input_entry> input;
    bool quit_requested = false;
    int quit_code = 0;
    // Modifiers held when the last key message was taken off the queue.
    int key_modifiers = 0;
};
extern layer_front_state layer_front;

// --- failure.cpp: the run's end with a failure.
// True once the run has shown its failure line: it ends with status 1.
bool layer_run_failed();

// --- window_table.cpp: the one table of live windows.
bool layer_is_window(HWND window);
// The live window a backend's record belongs to; for NULL, the oldest live
// top-level window, which gets close requests and unaddressed input.  NULL
// when there is none.
HWND layer_window_of_native(backend_window* native);
// The window that owns a device context; NULL if it is not a live one.
HWND layer_window_of_dc(HDC device_context);
// The first window waiting for WM_PAINT that `filter` (NULL: any) accepts.
HWND layer_window_needing_paint(HWND filter);
// A window needs painting: WM_PAINT follows any input.
void layer_expose_window(HWND window);
// Validation, as BeginPaint/EndPaint would do: no more WM_PAINT for the
// window until it is exposed again.  Nothing for a window that is not live.
void layer_validate_window(HWND window);

// --- gl_context.cpp
// A window is going: a context current on it is current no more.
void layer_forget_current_window(HWND window);

// --- pixel_format.cpp
// The window behind a device context, once it has its pixel format; NULL,
// with the failure recorded, otherwise.
HWND layer_drawable_window(HDC device_context);

// --- window_classes.cpp
// The registered window procedure of a class name (or atom); NULL if unknown.
WNDPROC layer_class_procedure(LPCSTR class_name);

// --- window_table.cpp and gl_context.cpp, for layer_reset_front
// Frees every live window (and its messages) with no message sent.
void layer_release_all_windows();
// Frees every live context, leaving none current.
void layer_delete_all_contexts();

// --- message_queue.cpp
// Drops every queued message addressed to a window being destroyed.
void layer_forget_window_messages(HWND window);
// Appends a message to the input stage, with the modifiers (layer_modifier
// bits) held when it happened.  Past the stage's bound only messages that may
// end the run are taken; false when the message was dropped.
bool layer_queue_input(const MSG& message, int modifiers);
// Modifiers held when the last key message was taken off the queue.
int layer_key_modifiers();

// --- keys.cpp
// The US-layout character a virtual key gives with these modifiers
// (layer_modifier bits); 0 if none.
int layer_key_character(int virtual_key, int modifiers);
