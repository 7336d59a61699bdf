// The layer's front: its records and the calls its files make to one
// another, and the calls a backend makes into it.  None of this is part of
// the Win32 surface; every name carries the layer_ prefix.  What a backend
// implements is in backend.h.
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

// Modifier keys held with a key message.
enum layer_modifier {
    layer_shift = 1,
    layer_ctrl = 2,
    layer_alt = 4,
    layer_caps = 8,  // Caps Lock is on
};

// --- failure.cpp: Win32's last error and our words for it.
// Records a failure for GetLastError and last_failure_text().
void layer_fail(DWORD error, const char* text);

// --- window_table.cpp: the one table of live windows.
// Live windows in creation order.
const std::vector<HWND>& layer_windows();
bool layer_is_window(HWND window);
// The oldest live top-level window, which gets close requests and unaddressed
// input; NULL when there is none.
HWND layer_first_window();
// The window that owns a device context; NULL if it is not a live one.
HWND layer_window_of_dc(HDC device_context);
// The first window waiting for WM_PAINT that `filter` (NULL: any) accepts.
HWND layer_window_needing_paint(HWND filter);
// An exposed window needs painting again: WM_PAINT follows any input.
void layer_expose(HWND window);
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
// The close button's request for the window: WM_SYSCOMMAND(SC_CLOSE).
void layer_queue_close(HWND window);
// Modifiers held when the last key message was taken off the queue.
int layer_key_modifiers();

// --- keys.cpp
// A key pressed or released, as a backend reads it: the virtual-key code,
// the PC keyboard's set-1 scan code (with the E0 prefix as `extended`), an
// auto-repeat, and the modifiers (layer_modifier bits) held.
struct layer_key {
    int virtual_key;
    int scan;
    bool extended;
    bool down;
    bool repeat;
    int modifiers;
};
// Queues the key's message for the window with Windows' lParam; false when
// it was dropped.
bool layer_queue_key(HWND window, const layer_key& key);
// The US-layout character a virtual key gives with these modifiers
// (layer_modifier bits); 0 if none.
int layer_key_character(int virtual_key, int modifiers);
