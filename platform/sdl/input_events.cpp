// SDL events as input: keys, close requests and exposure.  The mouse makes
// no message: nothing reads one.
#include "layer.h"

// The virtual-key code of a key, from its scancode (SDL's keysyms follow the
// layout and give lowercase letters; virtual keys are uppercase); 0 if the
// layer has none for it.
static int input_virtual_key(SDL_Scancode scancode)
{
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return VK_F1 + (scancode - SDL_SCANCODE_F1);
    switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_LCTRL: return VK_CONTROL;
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LALT: return VK_MENU;
    case SDL_SCANCODE_RALT: return VK_MENU;
    default: return 0;
    }
}

// The PC keyboard's set-1 scan code of a key, with `extended` set for the
// keys that send an E0 prefix.
static int input_scan_code(SDL_Scancode scancode, bool* extended_key)
{
    // Letters A-Z in scancode order.
    static const unsigned char letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                              0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                              0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    int scan = 0;
    bool extended = false;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        scan = letters[scancode - SDL_SCANCODE_A];
    else if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0)
        scan = 0x02 + (scancode - SDL_SCANCODE_1);  // 1..9 then 0: 0x02..0x0B
    else if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F10)
        scan = 0x3B + (scancode - SDL_SCANCODE_F1);
    else {
        switch (scancode) {
        case SDL_SCANCODE_F11: scan = 0x57; break;
        case SDL_SCANCODE_F12: scan = 0x58; break;
        case SDL_SCANCODE_RETURN: scan = 0x1C; break;
        case SDL_SCANCODE_ESCAPE: scan = 0x01; break;
        case SDL_SCANCODE_BACKSPACE: scan = 0x0E; break;
        case SDL_SCANCODE_TAB: scan = 0x0F; break;
        case SDL_SCANCODE_SPACE: scan = 0x39; break;
        case SDL_SCANCODE_INSERT: scan = 0x52; extended = true; break;
        case SDL_SCANCODE_HOME: scan = 0x47; extended = true; break;
        case SDL_SCANCODE_PAGEUP: scan = 0x49; extended = true; break;
        case SDL_SCANCODE_DELETE: scan = 0x53; extended = true; break;
        case SDL_SCANCODE_END: scan = 0x4F; extended = true; break;
        case SDL_SCANCODE_PAGEDOWN: scan = 0x51; extended = true; break;
        case SDL_SCANCODE_RIGHT: scan = 0x4D; extended = true; break;
        case SDL_SCANCODE_LEFT: scan = 0x4B; extended = true; break;
        case SDL_SCANCODE_DOWN: scan = 0x50; extended = true; break;
        case SDL_SCANCODE_UP: scan = 0x48; extended = true; break;
        case SDL_SCANCODE_LCTRL: scan = 0x1D; break;
        case SDL_SCANCODE_RCTRL: scan = 0x1D; extended = true; break;
        case SDL_SCANCODE_LSHIFT: scan = 0x2A; break;
        case SDL_SCANCODE_RSHIFT: scan = 0x36; break;
        case SDL_SCANCODE_LALT: scan = 0x38; break;
        case SDL_SCANCODE_RALT: scan = 0x38; extended = true; break;
        default: break;
        }
    }
    *extended_key = extended;
    return scan;
}

// SDL's modifier state as the layer's modifier bits.
static int input_modifiers(Uint16 sdl_modifiers)
{
    return ((sdl_modifiers & KMOD_SHIFT) ? layer_shift : 0) | ((sdl_modifiers & KMOD_CTRL) ? layer_ctrl : 0) |
           ((sdl_modifiers & KMOD_ALT) ? layer_alt : 0) | ((sdl_modifiers & KMOD_CAPS) ? layer_caps : 0);
}

// Window events: the close request becomes the close button's
// WM_SYSCOMMAND(SC_CLOSE); exposure marks the window for WM_PAINT.
static bool input_window_event(const SDL_WindowEvent& event)
{
    backend_window* window = layer_window_from_sdl_id(event.windowID);
    if (!window)
        return false;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        return layer_queue_close(window);
    case SDL_WINDOWEVENT_EXPOSED:
        layer_expose(window);
        return false;
    default:
        return false;
    }
}

bool layer_take_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        layer_key key = {};
        key.virtual_key = input_virtual_key(event.key.keysym.scancode);
        if (!key.virtual_key)
            return false;
        key.scan = input_scan_code(event.key.keysym.scancode, &key.extended);
        key.down = event.key.state == SDL_PRESSED;
        key.repeat = event.key.repeat != 0;
        key.modifiers = input_modifiers(event.key.keysym.mod);
        // NOTE: pushed events and some drivers carry no window id (no
        // keyboard focus on a bare X server); their input goes to the first
        // top-level window (NULL).
        return layer_queue_key(layer_window_from_sdl_id(event.key.windowID), key);
    }
    case SDL_WINDOWEVENT:
        return input_window_event(event.window);
    case SDL_QUIT: {
        // NOTE: with our hints SDL 2.26.5 makes no quit of its own but for a
        // lost Wayland connection, which ends the run; one pushed by anything
        // else is a close request, never swallowed.
        if (layer_sdl_at_most(2, 26, 5) && layer_wayland_display_lost())
            return true;
        return layer_queue_close(nullptr);
    }
    default:
        return false;
    }
}

void layer_ignore_unread_events()
{
    // The pointer, touch and SDL's own text make no message: queued, a flood
    // of them (a mouse swept over the window) would fill each PeekMessageA's
    // reading with events that come to nothing and let frames in between,
    // delaying the keys behind them.
    static const Uint32 unread[] = {
        SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL,
        SDL_FINGERMOTION, SDL_FINGERDOWN, SDL_FINGERUP, SDL_TEXTINPUT, SDL_TEXTEDITING,
    };
    for (Uint32 type : unread)
        SDL_EventState(type, SDL_IGNORE);
}
