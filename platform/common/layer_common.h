// The layer's front: its records and the calls its files make to one
// another, private to common/.  None of this is part of the Win32 surface;
// every name carries the layer_ prefix.  What a backend implements, and the
// calls it makes up into the front, are in backend.h.
#pragma once

#include "backend.h"

#include <windows.h>

#include <deque>
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
};

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

// --- message_queue.cpp
// True while a posted message, a quit request or input waits.
bool layer_message_waiting();
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
