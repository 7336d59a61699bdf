// SDL's helpers for the tests, and the backend contract suite over SDL's
// offscreen driver, with input pushed into SDL's queue.
#include "sdl_driver.h"

#include "backend_driver.h"

#include <stdlib.h>

void use_offscreen_video()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

SDL_Window* only_sdl_window()
{
    SDL_Window* found = nullptr;
    for (Uint32 id = 1; id < 256; ++id) {
        if (SDL_Window* window = SDL_GetWindowFromID(id))
            found = window;
    }
    return found;
}

void push_key(SDL_Scancode scancode, bool down, Uint16 modifiers, bool repeat)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}

// SDL's scancodes are the keys' USB HID usages.
static void sdl_press(const layer_key& key)
{
    const Uint16 modifiers = ((key.modifiers & layer_shift) ? KMOD_LSHIFT : 0) |
                             ((key.modifiers & layer_ctrl) ? KMOD_LCTRL : 0) |
                             ((key.modifiers & layer_alt) ? KMOD_LALT : 0) |
                             ((key.modifiers & layer_caps) ? KMOD_CAPS : 0);
    push_key(static_cast<SDL_Scancode>(key.usage), key.down, modifiers, key.repeat);
}

static void sdl_request_close()
{
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(only_sdl_window());
    SDL_PushEvent(&event);
}

const backend_driver contract_driver = {
    "sdl_offscreen",
    use_offscreen_video,
    [] {},
    sdl_press,
    sdl_request_close,
    []() -> const void* { return SDL_GL_GetCurrentContext(); },
    nullptr,
};
