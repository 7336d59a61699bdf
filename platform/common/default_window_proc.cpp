// DefWindowProcA: what Windows does with the messages a window procedure
// passes on.
#include "layer_common.h"

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4: the system menu's Close, by way of the queue.
        if (wparam == VK_F4 && (lparam & (1L << 29)))
            PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_CLOSE)
            SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_ERASEBKGND:
        // The class brush is black and GL covers the client area anyway.
        return 1;
    case WM_PAINT:
        // Validation, as BeginPaint/EndPaint would: no more WM_PAINT until
        // the window is exposed again.
        layer_validate_window(window);
        return 0;
    default:
        return 0;
    }
}
