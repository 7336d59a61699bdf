// The page's events as input messages: keys (listened for on the whole page,
// so they reach the window without a click), the mouse over the canvas, and
// the caption's close button.
#include "layer.h"

#include <emscripten/html5.h>

#include <string.h>

// lParam bits of key messages.
static const LPARAM input_extended_bit = 1L << 24;
static const LPARAM input_alt_bit = 1L << 29;
static const LPARAM input_previous_state_bit = 1L << 30;
static const LPARAM input_transition_bit = static_cast<LPARAM>(1UL << 31);

// A physical key (KeyboardEvent.code, which names the key's place on a US
// keyboard whatever the layout) with its virtual-key code and the PC
// keyboard's set-1 scan code; `extended` for the keys that send an E0 prefix.
struct key_row {
    const char* code;
    int virtual_key;
    int scan;
    bool extended;
};

// Keys other than letters, digits and F1-F12, which are found by rule.
static const key_row input_keys[] = {
    {"Enter", VK_RETURN, 0x1C, false},
    {"Escape", VK_ESCAPE, 0x01, false},
    {"Backspace", VK_BACK, 0x0E, false},
    {"Tab", VK_TAB, 0x0F, false},
    {"Space", VK_SPACE, 0x39, false},
    {"Insert", VK_INSERT, 0x52, true},
    {"Home", VK_HOME, 0x47, true},
    {"PageUp", VK_PRIOR, 0x49, true},
    {"Delete", VK_DELETE, 0x53, true},
    {"End", VK_END, 0x4F, true},
    {"PageDown", VK_NEXT, 0x51, true},
    {"ArrowRight", VK_RIGHT, 0x4D, true},
    {"ArrowLeft", VK_LEFT, 0x4B, true},
    {"ArrowDown", VK_DOWN, 0x50, true},
    {"ArrowUp", VK_UP, 0x48, true},
    {"ControlLeft", VK_CONTROL, 0x1D, false},
    {"ControlRight", VK_CONTROL, 0x1D, true},
    {"ShiftLeft", VK_SHIFT, 0x2A, false},
    {"ShiftRight", VK_SHIFT, 0x36, false},
    {"AltLeft", VK_MENU, 0x38, false},
    {"AltRight", VK_MENU, 0x38, true},
};

// Letters A-Z in order, and the digits 1-9 then 0, as scan codes.
static const unsigned char input_letter_scans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                                     0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                                     0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

// The row of a key, from its code; false if the layer has none for it.
static bool input_find_key(const char* code, key_row* found)
{
    if (strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0') {
        *found = {code, code[3], input_letter_scans[code[3] - 'A'], false};
        return true;
    }
    if (strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && code[6] == '\0') {
        const int digit = code[5] - '0';
        *found = {code, code[5], digit == 0 ? 0x0B : 0x01 + digit, false};
        return true;
    }
    if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        const int number = code[2] == '\0' ? code[1] - '0'
                           : (code[1] == '1' && code[2] >= '0' && code[2] <= '2' && code[3] == '\0')
                               ? 10 + code[2] - '0'
                               : 0;
        if (number) {
            // F1-F10 are 0x3B-0x44; F11 and F12 came later, at 0x57 and 0x58.
            *found = {code, VK_F1 + number - 1, number <= 10 ? 0x3A + number : 0x4C + number, false};
            return true;
        }
    }
    for (const key_row& row : input_keys) {
        if (strcmp(row.code, code) == 0) {
            *found = row;
            return true;
        }
    }
    return false;
}

// WM_KEYDOWN/UP, or WM_SYSKEYDOWN/UP while Alt is held without Ctrl (and for
// F10), with Windows' lParam: repeat count 1, scan code, extended, Alt (29),
// previous state (30), transition (31).
static MSG input_key_message(const EmscriptenKeyboardEvent& event, bool down, const key_row& key,
                             HWND window)
{
    const bool system = (event.altKey && !event.ctrlKey) || key.virtual_key == VK_F10;
    UINT message;
    if (down)
        message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    else
        message = system ? WM_SYSKEYUP : WM_KEYUP;
    LPARAM lparam = 1 | (static_cast<LPARAM>(key.scan) << 16) | (key.extended ? input_extended_bit : 0);
    if (event.altKey)
        lparam |= input_alt_bit;
    if (!down)
        lparam |= input_previous_state_bit | input_transition_bit;
    else if (event.repeat)
        lparam |= input_previous_state_bit;
    MSG made = {window, message, static_cast<WPARAM>(key.virtual_key), lparam, layer_now(), {0, 0}};
    return made;
}

// Whether the page cancels the key's own action in the browser.  The window
// gets every key either way; only keys that would act on the page itself
// are cancelled: the scrolling keys, while the window has the keyboard (so
// the page does not scroll under a viewer that takes arrows or Space).
// Tab, Shift+Tab, the function keys, Backspace and every Alt, Ctrl or Meta
// combination are the browser's and the visitor's (leave the page, reload,
// go back, the address bar ...).
static bool input_page_cancels(const EmscriptenKeyboardEvent& event, const key_row& key)
{
    if (event.altKey || event.ctrlKey || event.metaKey)
        return false;
    switch (key.virtual_key) {
    case VK_SPACE: case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        return layer_page_window_has_focus() != 0;
    default:
        return false;
    }
}

// Returns true to keep the browser from acting on the key as well.
static EM_BOOL input_key(int event_type, const EmscriptenKeyboardEvent* event, void*)
{
    HWND window = layer_first_window();
    key_row key;
    if (!window || !input_find_key(event->code, &key))
        return EM_FALSE;
    const bool down = event_type == EMSCRIPTEN_EVENT_KEYDOWN;
    // A key held down repeats; while earlier input still waits, the repeats
    // add nothing but delay, so they are dropped.
    if (down && event->repeat && layer_message_waiting())
        return input_page_cancels(*event, key);
    // NOTE: html5.h's key events carry no Caps Lock state; letters follow
    // Shift alone.
    const int modifiers = (event->shiftKey ? layer_shift : 0) | (event->ctrlKey ? layer_ctrl : 0) |
                          (event->altKey ? layer_alt : 0);
    layer_queue_input(input_key_message(*event, down, key, window), modifiers);
    return input_page_cancels(*event, key);
}

// Mouse messages' wParam: the buttons (a DOM buttons mask: 1 left, 2 right,
// 4 middle) and modifiers held.
static WPARAM input_mouse_flags(const EmscriptenMouseEvent& event, int buttons)
{
    WPARAM flags = 0;
    if (buttons & 1)
        flags |= MK_LBUTTON;
    if (buttons & 2)
        flags |= MK_RBUTTON;
    if (buttons & 4)
        flags |= MK_MBUTTON;
    if (event.shiftKey)
        flags |= MK_SHIFT;
    if (event.ctrlKey)
        flags |= MK_CONTROL;
    return flags;
}

// The window message of a mouse button (DOM numbering: 0 left, 1 middle,
// 2 right); 0 for buttons without one.
static UINT input_button_message(int button, bool down)
{
    switch (button) {
    case 0: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case 1: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    case 2: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default: return 0;
    }
}

// Mouse events over the canvas, in client coordinates.
static EM_BOOL input_mouse(int event_type, const EmscriptenMouseEvent* event, void*)
{
    HWND window = layer_first_window();
    if (!window)
        return EM_FALSE;
    UINT message = WM_MOUSEMOVE;
    if (event_type != EMSCRIPTEN_EVENT_MOUSEMOVE)
        message = input_button_message(event->button, event_type == EMSCRIPTEN_EVENT_MOUSEDOWN);
    if (!message)
        return EM_FALSE;
    // While the window is scaled down to fit a narrow screen, the canvas's
    // CSS pixels are fewer than its client pixels.
    const double css_width = layer_page_client_css_width();
    const double scale = css_width > 0 ? window->client_width / css_width : 1.0;
    const int x = static_cast<int>(event->targetX * scale), y = static_cast<int>(event->targetY * scale);
    const LPARAM position = static_cast<LPARAM>((static_cast<DWORD>(y & 0xFFFF) << 16) | (x & 0xFFFF));
    MSG made = {window, message, input_mouse_flags(*event, event->buttons), position, layer_now(), {0, 0}};
    layer_queue_input(made, 0);
    return EM_FALSE;
}

// The caption's close button: the system menu's Close, as on Windows.
static EM_BOOL input_close_button(int, const EmscriptenMouseEvent*, void*)
{
    HWND window = layer_first_window();
    if (window) {
        MSG made = {window, WM_SYSCOMMAND, SC_CLOSE, 0, layer_now(), {0, 0}};
        layer_queue_input(made, 0);
    }
    return EM_TRUE;
}

void layer_listen_for_input()
{
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(page, nullptr, EM_TRUE, input_key);
    emscripten_set_keyup_callback(page, nullptr, EM_TRUE, input_key);
    emscripten_set_mousemove_callback("#client", nullptr, EM_FALSE, input_mouse);
    emscripten_set_mousedown_callback("#client", nullptr, EM_FALSE, input_mouse);
    emscripten_set_mouseup_callback("#client", nullptr, EM_FALSE, input_mouse);
    emscripten_set_click_callback("#close", nullptr, EM_FALSE, input_close_button);
}

void layer_stop_listening()
{
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(page, nullptr, EM_TRUE, nullptr);
    emscripten_set_keyup_callback(page, nullptr, EM_TRUE, nullptr);
    emscripten_set_mousemove_callback("#client", nullptr, EM_FALSE, nullptr);
    emscripten_set_mousedown_callback("#client", nullptr, EM_FALSE, nullptr);
    emscripten_set_mouseup_callback("#client", nullptr, EM_FALSE, nullptr);
    emscripten_set_click_callback("#close", nullptr, EM_FALSE, nullptr);
}
