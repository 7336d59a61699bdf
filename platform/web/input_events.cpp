// The page's events as input: keys (listened for on the whole page, so they
// reach the window without a click) and the caption's close button.  The
// mouse makes no message: nothing reads one.
#include "layer.h"

#include <emscripten/html5.h>

#include <string.h>

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
    key_row key;
    if (!input_find_key(event->code, &key))
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
    if (!layer_queue_key(nullptr, {key.virtual_key, key.scan, key.extended, down, event->repeat != 0, modifiers}))
        return EM_FALSE;
    return input_page_cancels(*event, key);
}

// The caption's close button: the system menu's Close, as on Windows.
static EM_BOOL input_close_button(int, const EmscriptenMouseEvent*, void*)
{
    layer_queue_close(nullptr);
    return EM_TRUE;
}

void layer_listen_for_input()
{
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(page, nullptr, EM_TRUE, input_key);
    emscripten_set_keyup_callback(page, nullptr, EM_TRUE, input_key);
    emscripten_set_click_callback("#close", nullptr, EM_FALSE, input_close_button);
}

void layer_stop_listening()
{
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(page, nullptr, EM_TRUE, nullptr);
    emscripten_set_keyup_callback(page, nullptr, EM_TRUE, nullptr);
    emscripten_set_click_callback("#close", nullptr, EM_FALSE, nullptr);
}
