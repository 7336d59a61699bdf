// A recording stand-in for the Win32 subset, so the host can be run and
// watched without a display.  Every call is logged, in order, into the same
// log as the GL recorder's (gl_recorder.h); window procedures are really
// called, synchronously where Windows sends messages, and the message queue
// follows Windows' rules in the simplest form: posted messages first in,
// first out, then WM_QUIT once requested.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct fake_window_creation {
    DWORD ex_style;
    std::string class_name;
    std::string title;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    HMENU menu;
    HINSTANCE instance;
    LPVOID param;
};

struct fake_win32_state {
    // What the host handed over.
    std::vector<WNDCLASSA> registered_classes;
    std::vector<std::string> registered_class_names;
    std::vector<fake_window_creation> created_windows;
    PIXELFORMATDESCRIPTOR chosen_request = {};
    PIXELFORMATDESCRIPTOR set_request = {};
    int set_format = 0;

    // Called at the start of every PeekMessageA with the number of earlier
    // calls; a test posts input or quit requests from here.
    std::function<void(int peek)> on_peek;
    int peeks = 0;
    int swaps = 0;
    int peek_limit = 100000;  // a runaway loop fails the test instead of hanging it

    // What DefWindowProcA answers for any message.
    LRESULT default_result = 0;

    // Failures to play back.
    bool fail_create_window = false;
    bool fail_choose_format = false;
    bool fail_set_format = false;
    bool fail_create_context = false;
    bool fail_make_current = false;
    DWORD last_error = 0;  // GetLastError

    // The queue.
    std::deque<MSG> posted;
    bool quit_requested = false;
    int quit_code = 0;
    WNDPROC window_proc = nullptr;
};

fake_win32_state& fake_win32();
void reset_fake_win32();

// The handles the stand-in gives out.
HWND fake_window();
HDC fake_device_context();
HGLRC fake_rendering_context();
HINSTANCE fake_instance();

// Queues a message for the fake window, as input from the user would be.
void fake_post_input(UINT message, WPARAM wparam, LPARAM lparam);

// Counts the C runtime generator's calls, so tests can see when the terrain
// was drawn relative to the window-system calls.
long long fake_rand_calls();
