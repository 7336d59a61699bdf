// A GUI program for the start-up's tests.  "args ...": reports what WinMain
// was given and returns 7.  "window": makes the programs' window (offscreen),
// reports "ready" and runs their loop, reporting each WM_CLOSE as "closed"
// and going on (so that only a signal can end it).  "stuck": makes the window,
// reports "ready" and never looks at its messages again.
#include "viewer_window.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

static LRESULT CALLBACK probe_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_CLOSE) {
        printf("closed\n");
        fflush(stdout);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

static int probe_window()
{
    WNDCLASSA window_class = {};
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = probe_procedure;
    window_class.lpszClassName = "probe";
    RegisterClassA(&window_class);
    HWND window = CreateWindowExA(0, "probe", viewer_window_title, viewer_window_style | WS_VISIBLE, 0, 0,
                                  viewer_window_width, viewer_window_height, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return 2;
    printf("ready\n");
    fflush(stdout);
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    }
}

static int probe_stuck()
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.lpszClassName = "stuck";
    RegisterClassA(&window_class);
    if (!CreateWindowExA(0, "stuck", "stuck", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                         nullptr))
        return 2;
    printf("ready\n");
    fflush(stdout);
    for (;;)
        Sleep(1000);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command)
{
    if (strcmp(command_line, "stuck") == 0)
        return probe_stuck();
    if (strncmp(command_line, "window", 6) == 0)
        return probe_window();
    printf("[%s] show %d instance %s previous %s\n", command_line, show_command, instance ? "set" : "null",
           previous ? "set" : "null");
    return 7;
}
