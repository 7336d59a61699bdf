// SDL events as input: keys, close requests and exposure.  The mouse makes
// no message: nothing reads one.
#include "sdl_backend.h"

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
    backend_window* window = sdl_window_from_id(event.windowID);
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

bool sdl_take_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        // SDL's scancodes are the keys' USB HID usages.
        layer_key key = {};
        key.usage = event.key.keysym.scancode;
        key.down = event.key.state == SDL_PRESSED;
        key.repeat = event.key.repeat != 0;
        key.modifiers = input_modifiers(event.key.keysym.mod);
        // NOTE: pushed events and some drivers carry no window id (no
        // keyboard focus on a bare X server); their input goes to the first
        // top-level window (NULL).
        return layer_queue_key(sdl_window_from_id(event.key.windowID), key);
    }
    case SDL_WINDOWEVENT:
        return input_window_event(event.window);
    case SDL_QUIT: {
        // NOTE: with our hints SDL makes no quit of its own but for a lost
        // Wayland connection (SDL 2.26 to 2.32, and SDL3 under sdl2-compat,
        // alike), which ends the run; one pushed by anything else is a close
        // request, never swallowed.
        if (sdl_wayland_display_lost(true))
            return true;
        return layer_queue_close(nullptr);
    }
    default:
        return false;
    }
}

void sdl_ignore_unread_events()
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
