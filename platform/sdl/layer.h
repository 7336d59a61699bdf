// The layer's own records and the calls its files make to one another.  None
// of this is part of the Win32 surface; every name carries the layer_ prefix.
#pragma once

#include <windows.h>

#include <SDL.h>

// A window's private device context (CS_OWNDC): one per window, for its life.
struct win32_device_context {
    HWND window;
};

struct win32_window {
    WNDPROC procedure;
    DWORD style;
    SDL_Window* sdl_window;
    Uint32 sdl_id;
    win32_device_context device_context;
    int pixel_format;  // 0 until SetPixelFormat, then the one index it took
    bool needs_paint;  // WM_PAINT is produced while set; validation clears it
    bool destroying;   // inside DestroyWindow: its messages are on their way
};

// --- failure.cpp: Win32's last error and our words for it.
// Records a failure for GetLastError and last_failure_text().
void layer_fail(DWORD error, const char* text);

// --- video_start.cpp: SDL's video subsystem, started by the first window.
// True once a real display is up; on failure the reason is recorded.
bool layer_start_video();
bool layer_video_started();

// --- wayland_display.cpp
// Keeps SDL off a Wayland display that has no input seat (SDL 2.26 crashes
// starting on one): false, with the failure recorded, when no other driver is
// left to try.  Called before SDL's video start-up.
bool layer_avoid_seatless_wayland();
// Ends the process with "NAME: lost the display: cause" and status 1 when the
// windows' Wayland connection has broken; returns otherwise.
void layer_exit_if_display_lost();

// --- window_classes.cpp
// The registered window procedure of a class name (or atom); NULL if unknown.
WNDPROC layer_class_procedure(LPCSTR class_name);

// --- window_table.cpp: the one table of live windows.
HWND layer_window_from_sdl_id(Uint32 sdl_id);
bool layer_is_window(HWND window);
// The oldest live top-level window, which gets close requests and unaddressed
// input; NULL when there is none.
HWND layer_first_window();
// The window that owns a device context; NULL if it is not a live one.
HWND layer_window_of_dc(HDC device_context);
// The first window waiting for WM_PAINT that `filter` (NULL: any) accepts.
HWND layer_window_needing_paint(HWND filter);

// --- message_queue.cpp
// Appends a message to the input stage, with the modifier state it came with.
void layer_queue_input(const MSG& message, Uint16 key_modifiers);
// Drops every queued message addressed to a window being destroyed.
void layer_forget_window_messages(HWND window);
// Modifiers held when the last key message was taken off the queue.
Uint16 layer_key_modifiers();
// Milliseconds on a monotonic clock, for MSG.time.
DWORD layer_now();

// --- input_events.cpp
// Turns one SDL event into input (queued) or window state; false if it made
// no message.
bool layer_take_event(const SDL_Event& event);

// --- key_characters.cpp
// The US-layout character a virtual key gives with these modifiers; 0 if none.
int layer_key_character(int virtual_key, Uint16 key_modifiers);
