// The messages Windows sends from inside CreateWindowExA once the window
// exists, the same whatever carries the window; each backend then shows it
// in its own way.
#include "layer_common.h"

// A WM_SIZE/WM_MOVE lParam: low word first, each cut to 16 bits.
static LPARAM creation_pack(int low, int high)
{
    return static_cast<LPARAM>((static_cast<DWORD>(high & 0xFFFF) << 16) | (low & 0xFFFF));
}

bool layer_send_creation_messages(HWND window, CREATESTRUCTA* create, int client_x, int client_y,
                                  int client_width, int client_height)
{
    // The window procedure runs before CreateWindowExA returns, with a
    // usable HWND, as on Windows.
    if (!SendMessageA(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(create))) {
        SendMessageA(window, WM_NCDESTROY, 0, 0);
        layer_release_window(window);
        layer_fail(ERROR_SUCCESS, "the window procedure refused WM_NCCREATE");
        return false;
    }
    if (SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(create)) == -1) {
        DestroyWindow(window);
        layer_fail(ERROR_SUCCESS, "the window procedure refused WM_CREATE");
        return false;
    }
    if (!layer_is_window(window)) {
        layer_fail(ERROR_SUCCESS, "the window was destroyed while it was being created");
        return false;
    }
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, creation_pack(client_width, client_height));
    SendMessageA(window, WM_MOVE, 0, creation_pack(client_x, client_y));
    return true;
}
