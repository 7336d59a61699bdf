// TranslateMessage: characters from virtual keys, for the US layout.
#include "layer_common.h"

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
