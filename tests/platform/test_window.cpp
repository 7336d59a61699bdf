#include "test_window.h"

#include <stdlib.h>
#ifdef TEST_BACKEND_SDL
#include "../../platform/sdl/sdl_backend.h"

#include <dlfcn.h>
#else
#include "null_backend.h"
#endif

std::vector<recorded_message> recorded;
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> window_hook;

static std::vector<HWND> test_windows;
static bool registered = false;

static LRESULT CALLBACK test_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    recorded.push_back({window, message, wparam, lparam});
    LRESULT result = 0;
    if (window_hook && window_hook(window, message, wparam, lparam, &result))
        return result;
    return DefWindowProcA(window, message, wparam, lparam);
}

void use_offscreen_video()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

HWND make_test_window(DWORD style)
{
    // Registered anew after each reset of the front.
    if (!registered) {
        WNDCLASSA window_class = {};
        window_class.style = CS_OWNDC;
        window_class.lpfnWndProc = test_procedure;
        window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        window_class.lpszClassName = "test_window";
        registered = RegisterClassA(&window_class) != 0;
    }
    HWND window = CreateWindowExA(0, "test_window", viewer_window_title, style, 0, 0, viewer_window_width,
                                  viewer_window_height, nullptr, nullptr, nullptr, nullptr);
    if (window)
        test_windows.push_back(window);
    return window;
}

#ifdef TEST_BACKEND_SDL
SDL_Window* only_sdl_window()
{
    SDL_Window* found = nullptr;
    for (Uint32 id = 1; id < 256; ++id) {
        if (SDL_Window* window = SDL_GetWindowFromID(id))
            found = window;
    }
    return found;
}
#endif

std::vector<recorded_message> recorded_of(UINT message)
{
    std::vector<recorded_message> matching;
    for (const recorded_message& entry : recorded) {
        if (entry.message == message)
            matching.push_back(entry);
    }
    return matching;
}

int pump_messages(int limit)
{
    MSG message;
    int taken = 0;
    while (taken < limit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        ++taken;
    }
    return taken;
}

#ifdef TEST_BACKEND_SDL
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

// Every swap SDL is asked for, counted on its way to SDL.
static long sdl_swaps = 0;

void SDL_GL_SwapWindow(SDL_Window* window)
{
    ++sdl_swaps;
    using swap = void (*)(SDL_Window*);
    static const swap real = reinterpret_cast<swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    real(window);
}

static void push_window_event(Uint8 what)
{
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.windowID = sdl.windows.empty() ? 0 : sdl.windows.front()->sdl_id;
    SDL_PushEvent(&event);
}

// SDL's scancodes are the keys' USB HID usages; input is pushed into SDL's
// queue as its drivers deliver it.
const backend_driver backend_under_test = {
    "sdl_offscreen",
    use_offscreen_video,
    sdl_reset,
    [](const layer_key& key) {
        push_key(static_cast<SDL_Scancode>(key.usage), key.down,
                 ((key.modifiers & layer_shift) ? KMOD_LSHIFT : 0) | ((key.modifiers & layer_ctrl) ? KMOD_LCTRL : 0) |
                     ((key.modifiers & layer_alt) ? KMOD_LALT : 0) | ((key.modifiers & layer_caps) ? KMOD_CAPS : 0),
                 key.repeat);
    },
    [] { push_window_event(SDL_WINDOWEVENT_CLOSE); },
    [] { push_window_event(SDL_WINDOWEVENT_EXPOSED); },
    []() -> const void* { return SDL_GL_GetCurrentContext(); },
    []() -> const void* { return SDL_GL_GetCurrentContext() ? SDL_GL_GetCurrentWindow() : nullptr; },
    [] { return sdl_swaps; },
    nullptr,
};
#else
const backend_driver backend_under_test = {
    "null",
    [] {},
    null_reset,
    [](const layer_key& key) { null_press(nullptr, key); },
    [] { null_request_close(nullptr); },
    [] { null_expose(nullptr); },
    []() -> const void* { return null_current_context(); },
    []() -> const void* { return null_drawing_window(); },
    null_swaps,
    [](DWORD error) { null_fail_next(null_make_current, error, "refused"); },
};
#endif

void clean_up_windows()
{
    window_hook = nullptr;
    for (HWND window : test_windows)
        DestroyWindow(window);
    test_windows.clear();
    pump_messages();
    recorded.clear();
    layer_reset_front();
    registered = false;
    backend_under_test.reset();
}
