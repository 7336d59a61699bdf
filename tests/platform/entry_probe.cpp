// A GUI program for the start-up's tests.  "args ...": reports what WinMain
// was given and returns 7.  "window": makes the programs' window (offscreen),
// reports "ready" and runs their loop, reporting each WM_CLOSE as "closed"
// and going on (so that only a signal can end it).
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_command)
{
    if (strncmp(command_line, "window", 6) == 0)
        return probe_window();
    printf("[%s] show %d instance %s previous %s\n", command_line, show_command, instance ? "set" : "null",
           previous ? "set" : "null");
    return 7;
}
