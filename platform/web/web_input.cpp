// The page's events as input: keys (listened for on the whole page, so they
// reach the window without a click) and the caption's close button.  The
// mouse makes no message: nothing reads one.
#include "web_backend.h"

#include <emscripten/html5.h>

#include <stdlib.h>
#include <string.h>

// The USB HID usage of a key, from its KeyboardEvent.code, which names the
// key's place on a US keyboard whatever the layout; 0 for a key the layer
// has no use for.
static int input_usage(const char* code)
{
    if (strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0')
        return 4 + code[3] - 'A';
    if (strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9' && code[6] == '\0')
        return code[5] == '0' ? 39 : 30 + code[5] - '1';
    if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {  // F1-F12
        char* end = nullptr;
        const long number = strtol(code + 1, &end, 10);
        return *end == '\0' && number <= 12 ? 57 + static_cast<int>(number) : 0;
    }
    static const struct {
        const char* code;
        int usage;
    } named[] = {
        {"Enter", 40},       {"Escape", 41},      {"Backspace", 42},    {"Tab", 43},
        {"Space", 44},       {"Insert", 73},      {"Home", 74},         {"PageUp", 75},
        {"Delete", 76},      {"End", 77},         {"PageDown", 78},     {"ArrowRight", 79},
        {"ArrowLeft", 80},   {"ArrowDown", 81},   {"ArrowUp", 82},      {"ControlLeft", 224},
        {"ShiftLeft", 225},  {"AltLeft", 226},    {"ControlRight", 228}, {"ShiftRight", 229},
        {"AltRight", 230},
    };
    for (const auto& row : named) {
        if (strcmp(row.code, code) == 0)
            return row.usage;
    }
    return 0;
}

// Whether the page cancels the key's own action in the browser.  The window
// gets every key either way; only keys that would act on the page itself
// are cancelled: the scrolling keys, while the window has the keyboard (so
// the page does not scroll under a viewer that takes arrows or Space).
// Tab, Shift+Tab, the function keys, Backspace and every Alt, Ctrl or Meta
// combination are the browser's and the visitor's (leave the page, reload,
// go back, the address bar ...).
static bool input_page_cancels(const EmscriptenKeyboardEvent& event, int usage)
{
    if (event.altKey || event.ctrlKey || event.metaKey)
        return false;
    switch (layer_virtual_key(usage)) {
    case VK_SPACE: case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        return web_page_window_has_focus() != 0;
    default:
        return false;
    }
}

// Returns true to keep the browser from acting on the key as well.
static EM_BOOL input_key(int event_type, const EmscriptenKeyboardEvent* event, void*)
{
    const int usage = input_usage(event->code);
    if (!layer_virtual_key(usage))
        return EM_FALSE;
    const bool down = event_type == EMSCRIPTEN_EVENT_KEYDOWN;
    // A key held down repeats; while earlier input still waits, the repeats
    // add nothing but delay, so they are dropped.
    if (down && event->repeat && layer_message_waiting())
        return input_page_cancels(*event, usage);
    // NOTE: html5.h's key events carry no Caps Lock state; letters follow
    // Shift alone.
    const int modifiers = (event->shiftKey ? layer_shift : 0) | (event->ctrlKey ? layer_ctrl : 0) |
                          (event->altKey ? layer_alt : 0);
    if (!layer_queue_key(nullptr, {usage, down, event->repeat != 0, modifiers}))
        return EM_FALSE;
    return input_page_cancels(*event, usage);
}

// The caption's close button: the system menu's Close, as on Windows.
static EM_BOOL input_close_button(int, const EmscriptenMouseEvent*, void*)
{
    layer_queue_close(nullptr);
    return EM_TRUE;
}

void web_listen_for_input()
{
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(page, nullptr, EM_TRUE, input_key);
    emscripten_set_keyup_callback(page, nullptr, EM_TRUE, input_key);
    emscripten_set_click_callback("#close", nullptr, EM_FALSE, input_close_button);
}

void web_stop_listening()
{
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(page, nullptr, EM_TRUE, nullptr);
    emscripten_set_keyup_callback(page, nullptr, EM_TRUE, nullptr);
    emscripten_set_click_callback("#close", nullptr, EM_FALSE, nullptr);
}
