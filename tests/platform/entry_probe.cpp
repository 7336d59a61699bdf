// A GUI program for the start-up's tests.  "args ...": reports what WinMain
// was given and returns 7.  "window [delay-ms]": reports "started", sleeps,
// makes the programs' window (offscreen), reports "ready" and runs their
// loop until WM_CLOSE, reporting how it ended.  "stuck": makes the window,
// reports "ready" and then never looks at its messages again.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static LRESULT CALLBACK probe_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_CLOSE) {
        printf("closed\n");
        fflush(stdout);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

static int probe_window(int delay_ms)
{
    printf("started\n");
    fflush(stdout);
    Sleep(static_cast<DWORD>(delay_ms));
    WNDCLASSA window_class = {};
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = probe_procedure;
    window_class.lpszClassName = "probe";
    RegisterClassA(&window_class);
    HWND window = CreateWindowExA(0, "probe", "KOLVAR Map Editor", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                                  0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
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
    window_class.lpszClassName = "probe";
    RegisterClassA(&window_class);
    if (!CreateWindowExA(0, "probe", "stuck", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr,
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
        return probe_window(atoi(command_line + 6));
    printf("[%s] show %d instance %s previous %s\n", command_line, show_command, instance ? "set" : "null",
           previous ? "set" : "null");
    return 7;
}
