// The layer's parts that are the same whatever carries the windows: the last
// error, window classes, DefWindowProcA, device contexts and pixel formats,
// the message queue's order and TranslateMessage's characters.  Each
// backend's layer.h includes this and adds its own records and calls; the
// calls under "from the backend" below are the ones every backend provides
// for these shared files.
#pragma once

#include <windows.h>

#include <deque>

// A window's private device context (CS_OWNDC): one per window, for its
// life, in the backend's window record.  The window's pixel format is kept
// here, as it is set and read through the device context.
struct win32_device_context {
    HWND window;
    int pixel_format;  // 0 until SetPixelFormat, then the one index it took
};

// Modifier keys held with a key message.  Each backend turns its own
// keyboard state into these when it queues the message.
enum layer_modifier {
    layer_shift = 1,
    layer_ctrl = 2,
    layer_alt = 4,
    layer_caps = 8,  // Caps Lock is on
};

// --- failure.cpp: Win32's last error and our words for it.
// Records a failure for GetLastError and last_failure_text().
void layer_fail(DWORD error, const char* text);

// --- pixel_format.cpp
// The window behind a device context, once it has its pixel format; NULL,
// with the failure recorded, otherwise.
HWND layer_drawable_window(HDC device_context);

// --- window_classes.cpp
// The registered window procedure of a class name (or atom); NULL if unknown.
WNDPROC layer_class_procedure(LPCSTR class_name);

// --- message_queue.cpp
// A message in the input stage, with the modifiers (layer_modifier bits)
// held when it happened.
struct layer_queued_input {
    MSG message;
    int modifiers;
};
// The input stage, oldest first.  The queue takes messages off it; what
// enters it is the backend's (its layer_queue_input).
std::deque<layer_queued_input>& layer_input_stage();
// True while a posted message, a quit request or input waits.
bool layer_message_waiting();
// Drops every queued message addressed to a window being destroyed.
void layer_forget_window_messages(HWND window);
// Modifiers held when the last key message was taken off the queue.
int layer_key_modifiers();

// --- window_creation.cpp
// Sends what CreateWindowExA sends once the backend has made `window`:
// WM_NCCREATE and WM_CREATE with `create`, then WM_SIZE and WM_MOVE with the
// client area.  False, with the failure recorded and the window gone, when
// the window procedure refused or destroyed it.
bool layer_send_creation_messages(HWND window, CREATESTRUCTA* create, int client_x, int client_y,
                                  int client_width, int client_height);

// --- key_characters.cpp
// The US-layout character a virtual key gives with these modifiers
// (layer_modifier bits); 0 if none.
int layer_key_character(int virtual_key, int modifiers);

// --- from the backend
bool layer_is_window(HWND window);
// Takes a window out of the backend's table and frees it; its messages go
// with it.  No message is sent.
void layer_release_window(HWND window);
// The window's own device context.  `window` is a live window.
HDC layer_dc_of_window(HWND window);
// The window that owns a device context; NULL if it is not a live one.
HWND layer_window_of_dc(HDC device_context);
// The first window waiting for WM_PAINT that `filter` (NULL: any) accepts.
HWND layer_window_needing_paint(HWND filter);
// Validation, as BeginPaint/EndPaint would do: no more WM_PAINT for the
// window until it is exposed again.  Nothing for a window that is not live.
void layer_validate_window(HWND window);
// Milliseconds on a monotonic clock, for MSG.time.
DWORD layer_now();
// Called as PeekMessageA starts, before it looks at any stage.
void layer_peek_starts();
// Called when PeekMessageA reaches the input stage and finds it empty: the
// backend may read its pending events into it.
void layer_pump_input();
