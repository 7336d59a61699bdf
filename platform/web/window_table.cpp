// The window on the page: creation and destruction with the messages Windows
// sends from inside those calls, and SendMessageA.
#include "layer.h"
#include "window_frame.h"

// The page has room for one window: the frame in page.html.
static HWND window_live = nullptr;

// Takes a window off the page and frees it; its messages go with it.
void layer_release_window(HWND window)
{
    if (window_live == window) {
        window_live = nullptr;
        layer_stop_listening();
        layer_page_hide_window();
    }
    layer_forget_window_messages(window);
    delete window;
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param)
{
    const WNDPROC procedure = layer_class_procedure(class_name);
    if (!procedure) {
        layer_fail(ERROR_CANNOT_FIND_WND_CLASS, "the window class is not registered");
        return nullptr;
    }
    if (parent || menu || (style & WS_CHILD)) {
        layer_fail(ERROR_NOT_SUPPORTED, "only top-level windows without menus are available");
        return nullptr;
    }
    const layer_window_frame frame = layer_window_frame_of_style(style);
    // NOTE: the page's frame is drawn for the caption style at 640x480; other
    // styles and sizes would need another page.
    if (frame.top != 22 || width != 640 || height != 480) {
        layer_fail(ERROR_NOT_SUPPORTED, "the page holds only a 640x480 captioned window");
        return nullptr;
    }
    if (window_live) {
        layer_fail(ERROR_NOT_SUPPORTED, "the page holds one window at a time");
        return nullptr;
    }

    HWND window = new win32_window{};
    window->procedure = procedure;
    window->style = style;
    window->client_width = width - frame.left - frame.right;
    window->client_height = height - frame.top - frame.bottom;
    window->device_context.window = window;
    window_live = window;

    CREATESTRUCTA create = {param,  instance, menu,       parent,     height,     width,
                            y,      x,        static_cast<LONG>(style), window_name, class_name, ex_style};
    if (!layer_send_creation_messages(window, &create, x + frame.left, y + frame.top, window->client_width,
                                      window->client_height))
        return nullptr;
    if ((style & WS_VISIBLE) && layer_is_window(window)) {
        // The page's own window has the keyboard from the start, as a new
        // desktop window has the focus.
        layer_page_show_window(window_name ? window_name : "");
        layer_listen_for_input();
        SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
        // A window that appears needs painting: WM_PAINT follows any input.
        if (layer_is_window(window))
            window->needs_paint = true;
    }
    return layer_is_window(window) ? window : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    if (!layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return FALSE;
    }
    // DestroyWindow from inside WM_DESTROY finds the window already going.
    if (window->destroying)
        return TRUE;
    window->destroying = true;
    SendMessageA(window, WM_DESTROY, 0, 0);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    layer_release_window(window);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return 0;
    }
    return window->procedure(window, message, wparam, lparam);
}

bool layer_is_window(HWND window)
{
    return window && window == window_live;
}

HWND layer_first_window()
{
    return window_live;
}

HWND layer_window_of_dc(HDC device_context)
{
    return window_live && &window_live->device_context == device_context ? window_live : nullptr;
}

HDC layer_dc_of_window(HWND window)
{
    return &window->device_context;
}

void layer_validate_window(HWND window)
{
    if (layer_is_window(window))
        window->needs_paint = false;
}

HWND layer_window_needing_paint(HWND filter)
{
    if (window_live && window_live->needs_paint && (!filter || filter == window_live))
        return window_live;
    return nullptr;
}
