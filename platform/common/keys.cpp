// Keys: the backends' key presses as key messages, and TranslateMessage's
// characters from virtual keys, for the US layout.
#include "layer_common.h"

// lParam bits of key messages.
static const LPARAM key_extended_bit = 1L << 24;
static const LPARAM key_alt_bit = 1L << 29;
static const LPARAM key_previous_state_bit = 1L << 30;
static const LPARAM key_transition_bit = static_cast<LPARAM>(1UL << 31);

// A key the layer knows: its virtual-key code and the PC keyboard's set-1
// scan code, `extended` for the keys that send an E0 prefix.
struct key_codes {
    int virtual_key;
    int scan;
    bool extended;
};

// The codes of a key by its USB HID usage; virtual_key 0 when the layer has
// none for it.  Letters, digits and F1-F12 follow rules; the rest is a row
// each.
static key_codes key_codes_of(int usage)
{
    // Letters A-Z in usage order (4-29).
    static const unsigned char letter_scans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                                   0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                                   0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    if (usage >= 4 && usage <= 29)
        return {'A' + usage - 4, letter_scans[usage - 4], false};
    if (usage >= 30 && usage <= 39)  // 1-9, then 0: scans 0x02-0x0B
        return {usage == 39 ? '0' : '1' + usage - 30, 0x02 + usage - 30, false};
    if (usage >= 58 && usage <= 69)  // F1-F10 are 0x3B-0x44; F11 and F12 came later
        return {VK_F1 + usage - 58, usage <= 67 ? 0x3B + usage - 58 : 0x57 + usage - 68, false};
    switch (usage) {
    case 40: return {VK_RETURN, 0x1C, false};
    case 41: return {VK_ESCAPE, 0x01, false};
    case 42: return {VK_BACK, 0x0E, false};
    case 43: return {VK_TAB, 0x0F, false};
    case 44: return {VK_SPACE, 0x39, false};
    case 73: return {VK_INSERT, 0x52, true};
    case 74: return {VK_HOME, 0x47, true};
    case 75: return {VK_PRIOR, 0x49, true};
    case 76: return {VK_DELETE, 0x53, true};
    case 77: return {VK_END, 0x4F, true};
    case 78: return {VK_NEXT, 0x51, true};
    case 79: return {VK_RIGHT, 0x4D, true};
    case 80: return {VK_LEFT, 0x4B, true};
    case 81: return {VK_DOWN, 0x50, true};
    case 82: return {VK_UP, 0x48, true};
    case 224: return {VK_CONTROL, 0x1D, false};  // left Ctrl
    case 225: return {VK_SHIFT, 0x2A, false};    // left Shift
    case 226: return {VK_MENU, 0x38, false};     // left Alt
    case 228: return {VK_CONTROL, 0x1D, true};   // right Ctrl
    case 229: return {VK_SHIFT, 0x36, false};    // right Shift
    case 230: return {VK_MENU, 0x38, true};      // right Alt (AltGr)
    default: return {0, 0, false};
    }
}

int layer_virtual_key(int usage)
{
    return key_codes_of(usage).virtual_key;
}

// WM_KEYDOWN/UP, or WM_SYSKEYDOWN/UP while Alt is held without Ctrl (and for
// F10), with Windows' lParam: repeat count 1, scan code, extended, Alt (29),
// previous state (30), transition (31).
bool layer_queue_key(backend_window* native, const layer_key& key)
{
    HWND window = layer_window_of_native(native);
    const key_codes codes = key_codes_of(key.usage);
    if (!window || !codes.virtual_key)
        return false;
    const bool alt = (key.modifiers & layer_alt) != 0;
    const bool ctrl = (key.modifiers & layer_ctrl) != 0;
    const bool system = (alt && !ctrl) || codes.virtual_key == VK_F10;
    UINT message;
    if (key.down)
        message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    else
        message = system ? WM_SYSKEYUP : WM_KEYUP;
    LPARAM lparam = 1 | (static_cast<LPARAM>(codes.scan) << 16) | (codes.extended ? key_extended_bit : 0);
    if (alt)
        lparam |= key_alt_bit;
    if (!key.down)
        lparam |= key_previous_state_bit | key_transition_bit;
    else if (key.repeat)
        lparam |= key_previous_state_bit;
    MSG made = {window, message, static_cast<WPARAM>(codes.virtual_key), lparam, backend_now(), {0, 0}};
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
