// Keys: the backends' key presses as key messages, and TranslateMessage's
// characters from virtual keys, for the US layout.
#include "layer_common.h"

// lParam bits of key messages.
static const LPARAM key_extended_bit = 1L << 24;
static const LPARAM key_alt_bit = 1L << 29;
static const LPARAM key_previous_state_bit = 1L << 30;
static const LPARAM key_transition_bit = static_cast<LPARAM>(1UL << 31);

// WM_KEYDOWN/UP, or WM_SYSKEYDOWN/UP while Alt is held without Ctrl (and for
// F10), with Windows' lParam: repeat count 1, scan code, extended, Alt (29),
// previous state (30), transition (31).
bool layer_queue_key(backend_window* native, const layer_key& key)
{
    HWND window = layer_window_of_native(native);
    if (!window)
        return false;
    const bool alt = (key.modifiers & layer_alt) != 0;
    const bool ctrl = (key.modifiers & layer_ctrl) != 0;
    const bool system = (alt && !ctrl) || key.virtual_key == VK_F10;
    UINT message;
    if (key.down)
        message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    else
        message = system ? WM_SYSKEYUP : WM_KEYUP;
    LPARAM lparam = 1 | (static_cast<LPARAM>(key.scan) << 16) | (key.extended ? key_extended_bit : 0);
    if (alt)
        lparam |= key_alt_bit;
    if (!key.down)
        lparam |= key_previous_state_bit | key_transition_bit;
    else if (key.repeat)
        lparam |= key_previous_state_bit;
    MSG made = {window, message, static_cast<WPARAM>(key.virtual_key), lparam, backend_now(), {0, 0}};
    layer_queue_input(made, key.modifiers);
    return true;
}

int layer_key_character(int virtual_key, int modifiers)
{
    const bool shift = (modifiers & layer_shift) != 0;
    const bool ctrl = (modifiers & layer_ctrl) != 0;
    const bool alt = (modifiers & layer_alt) != 0;
    const bool caps = (modifiers & layer_caps) != 0;
    // Ctrl+Alt is AltGr, which gives nothing on the US layout.
    if (ctrl && alt)
        return 0;
    if (virtual_key >= 'A' && virtual_key <= 'Z') {
        if (ctrl)
            return virtual_key - 'A' + 1;  // Ctrl+A = 0x01 ... Ctrl+Z = 0x1A
        return (shift != caps) ? virtual_key : virtual_key + ('a' - 'A');
    }
    if (virtual_key >= '0' && virtual_key <= '9') {
        if (ctrl)
            return 0;
        static const char shifted_digits[] = ")!@#$%^&*(";
        return shift ? shifted_digits[virtual_key - '0'] : virtual_key;
    }
    switch (virtual_key) {
    case VK_RETURN: return ctrl ? 0x0A : 0x0D;
    case VK_BACK: return ctrl ? 0x7F : 0x08;
    case VK_ESCAPE: return 0x1B;
    case VK_TAB: return ctrl ? 0 : 0x09;
    case VK_SPACE: return 0x20;
    default: return 0;
    }
}

BOOL WINAPI TranslateMessage(const MSG* message)
{
    if (!message)
        return FALSE;
    switch (message->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const int character = layer_key_character(static_cast<int>(message->wParam), layer_key_modifiers());
        // Posted, not sent: the character follows its key-down and precedes
        // whatever input is still waiting (the key-up).
        if (character)
            PostMessageA(message->hwnd, message->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                         static_cast<WPARAM>(character), message->lParam);
        return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return TRUE;
    default:
        return FALSE;
    }
}
