// Top-level windows: CreateWindowExA and DestroyWindow with the messages
// Windows sends from inside them, SendMessageA, and the table of live
// windows.  The backend makes, shows, hides and frees the native window.
#include "layer_common.h"
#include "window_frame.h"

#include <limits.h>

// A WM_SIZE/WM_MOVE lParam: low word first, each cut to 16 bits.
static LPARAM window_pack(int low, int high)
{
    return static_cast<LPARAM>((static_cast<DWORD>(high & 0xFFFF) << 16) | (low & 0xFFFF));
}

// `value` moved inwards by `by` pixels, held within int: a caller's size or
// place may be anything, CW_USEDEFAULT (INT_MIN) included.
static int window_inset(int value, long long by)
{
    const long long moved = value + by;
    return moved < INT_MIN ? INT_MIN : moved > INT_MAX ? INT_MAX : static_cast<int>(moved);
}

// True while `window` is still the live window numbered `serial`: a window
// procedure may have destroyed it and made another at the same address.
static bool window_still(HWND window, unsigned long serial)
{
    return layer_is_window(window) && window->serial == serial;
}

// Takes a window out of the table and frees it; its messages go with it.  No
// message is sent.
static void window_release(HWND window)
{
    for (size_t i = 0; i < layer_front.windows.size(); ++i) {
        if (layer_front.windows[i] == window) {
            layer_front.windows.erase(layer_front.windows.begin() + i);
            break;
        }
    }
    layer_forget_window_messages(window);
    layer_forget_current_window(window);
    backend_destroy_window(window->native);
    delete window;
}

// Sends what CreateWindowExA sends once the window exists: WM_NCCREATE and
// WM_CREATE with `create`, then WM_SIZE and WM_MOVE with the client area.
// False, with the failure recorded and the window gone, when the window
// procedure refused or destroyed it.
static bool window_send_creation_messages(HWND window, CREATESTRUCTA* create, int client_x, int client_y)
{
    // The window procedure runs before CreateWindowExA returns, with a
    // usable HWND, as on Windows; after each message the window may be gone.
    const unsigned long serial = window->serial;
    if (!SendMessageA(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(create))) {
        if (window_still(window, serial)) {
            SendMessageA(window, WM_NCDESTROY, 0, 0);
            if (window_still(window, serial))
                window_release(window);
        }
        layer_fail(ERROR_SUCCESS, "the window procedure refused WM_NCCREATE");
        return false;
    }
    if (window_still(window, serial) &&
        SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(create)) == -1) {
        if (window_still(window, serial))
            DestroyWindow(window);
        layer_fail(ERROR_SUCCESS, "the window procedure refused WM_CREATE");
        return false;
    }
    if (window_still(window, serial))
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, window_pack(window->client_width, window->client_height));
    if (window_still(window, serial))
        SendMessageA(window, WM_MOVE, 0, window_pack(client_x, client_y));
    if (!window_still(window, serial)) {
        layer_fail(ERROR_SUCCESS, "the window was destroyed while it was being created");
        return false;
    }
    return true;
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
    if (!backend_window_possible(style, width, height))
        return nullptr;
    const backend_limits& limits = backend_limits_of();
    if (limits.windows && layer_front.windows.size() >= limits.windows) {
        layer_fail(ERROR_NOT_SUPPORTED, limits.windows_text);
        return nullptr;
    }

    const char* title = window_name ? window_name : "";
    const layer_window_frame frame = layer_window_frame_of_style(style);
    const int client_x = window_inset(x, frame.left);
    const int client_y = window_inset(y, frame.top);
    const int client_width = window_inset(width, -(frame.left + frame.right));
    const int client_height = window_inset(height, -(frame.top + frame.bottom));
    HWND window = new win32_window{};
    window->procedure = procedure;
    window->style = style;
    window->serial = layer_front.next_window_serial++;
    window->client_width = client_width > 1 ? client_width : 1;
    window->client_height = client_height > 1 ? client_height : 1;
    window->device_context.window = window;
    window->native = backend_create_window(title, style, x, y, client_x, client_y, window->client_width,
                                           window->client_height);
    if (!window->native) {
        delete window;
        return nullptr;
    }
    layer_front.windows.push_back(window);

    CREATESTRUCTA create = {param,  instance, menu,       parent,     height,     width,
                            y,      x,        static_cast<LONG>(style), window_name, class_name, ex_style};
    if (!window_send_creation_messages(window, &create, client_x, client_y))
        return nullptr;
    const unsigned long serial = window->serial;
    if (style & WS_VISIBLE) {
        backend_show_window(window->native, title);
        window->shown = true;
        SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
        // A window that appears needs painting: WM_PAINT follows any input.
        if (window_still(window, serial))
            layer_expose_window(window);
    }
    return window_still(window, serial) ? window : nullptr;
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
    // Once per change: a window never shown is not hidden.
    if (window->shown)
        backend_hide_window(window->native);
    window->shown = false;
    SendMessageA(window, WM_DESTROY, 0, 0);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    window_release(window);
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

void layer_release_all_windows()
{
    while (!layer_front.windows.empty())
        window_release(layer_front.windows.back());
}

bool layer_is_window(HWND window)
{
    if (!window)
        return false;
    for (HWND live : layer_front.windows) {
        if (live == window)
            return true;
    }
    return false;
}

HWND layer_window_of_native(backend_window* native)
{
    if (!native)
        return layer_front.windows.empty() ? nullptr : layer_front.windows.front();
    for (HWND live : layer_front.windows) {
        if (live->native == native)
            return live;
    }
    return nullptr;
}

HWND layer_window_of_dc(HDC device_context)
{
    for (HWND live : layer_front.windows) {
        if (&live->device_context == device_context)
            return live;
    }
    return nullptr;
}

void layer_expose_window(HWND window)
{
    if (layer_is_window(window))
        window->needs_paint = true;
}

void layer_expose(backend_window* native)
{
    layer_expose_window(layer_window_of_native(native));
}

void layer_validate_window(HWND window)
{
    if (layer_is_window(window))
        window->needs_paint = false;
}

HWND layer_window_needing_paint(HWND filter)
{
    for (HWND live : layer_front.windows) {
        if (live->needs_paint && (!filter || filter == live))
            return live;
    }
    return nullptr;
}
