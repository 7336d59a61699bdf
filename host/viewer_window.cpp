#include "viewer_window.h"

LRESULT CALLBACK viewer_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        // Sent when the entry point destroys the window at shutdown: the
        // quit request has already been made, so nothing is posted here.
        return 0;
    case WM_CLOSE:
        // The close button, the system menu's Close and Alt+F4 all arrive
        // here.  The window stays until the main loop has ended.
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wparam == VK_ESCAPE)
            PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

HWND create_viewer_window(HINSTANCE instance, int width, int height)
{
    WNDCLASSA window_class;
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = viewer_window_proc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszMenuName = NULL;
    window_class.lpszClassName = viewer_window_class_name;
    RegisterClassA(&window_class);

    return CreateWindowExA(0, viewer_window_class_name, viewer_window_title, viewer_window_style | WS_VISIBLE, 0,
                           0, width, height, NULL, NULL, instance, NULL);
}
