// SDL's half of the windows: native windows made, shown, hidden and
// destroyed, with the GL attributes X11 fixes when a window is made.
#include "sdl_backend.h"

#include <algorithm>
#include <vector>

// The one pixel format the layer offers (index 1): the double-buffered RGBA
// window format with 24-bit colour and a 16-bit depth buffer that the
// programs ask for.  NOTE: X11 fixes a window's GL visual when the window is
// made, so the attributes are set here, not in SetPixelFormat.
static void window_set_gl_attributes()
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    // A legacy (2.1, compatibility) context: the programs draw in immediate mode.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

bool sdl_at_most(int major, int minor, int patch)
{
    // Asked at every PeekMessageA: the linked version is read once.
    static const int linked = [] {
        SDL_version version;
        SDL_GetVersion(&version);
        return SDL_VERSIONNUM(version.major, version.minor, version.patch);
    }();
    return linked <= SDL_VERSIONNUM(major, minor, patch);
}

const backend_limits& backend_limits_of()
{
    static const backend_limits limits = {0, "", 0, ""};
    return limits;
}

bool backend_window_possible(DWORD, int, int)
{
    return sdl_start_video();
}

backend_window* backend_create_window(const char* title, DWORD style, int x, int y, int client_x,
                                      int client_y, int client_width, int client_height)
{
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    // NOTE: a window manager puts its frame's top-left where the window asks
    // to be, as Windows puts the outer rectangle; a bare X server puts the
    // client area there, so the client asks for its own place inside the
    // classic frame.
    const bool framed = sdl_x11_window_manager_frames_windows();
    window_set_gl_attributes();
    posix_chatter_begin("cannot create the window");
    sdl_x11_catch_errors();
    SDL_Window* sdl_window = SDL_CreateWindow(title, framed ? x : client_x, framed ? y : client_y,
                                              client_width, client_height, flags);
    const char* x_error = sdl_x11_caught_error(sdl_window);
    const char* said = posix_chatter_end();
    if (!sdl_window || x_error) {
        layer_fail(ERROR_NOT_SUPPORTED, sdl_failure_cause(x_error, said));
        if (sdl_window)
            SDL_DestroyWindow(sdl_window);
        return nullptr;
    }
    sdl_x11_offer_style(sdl_window, style);
    sdl_x11_outlive_display(sdl_window);
    sdl_wayland_hear_gdk();
    sdl_wayland_watch_window(sdl_window);
    backend_window* window = new backend_window{};
    window->sdl_window = sdl_window;
    window->sdl_id = SDL_GetWindowID(sdl_window);
    window->style = style;
    window->x = x;
    window->y = y;
    window->frame_to_place = framed;
    sdl_x11_watch_window(window);
    sdl.windows.push_back(window);
    return window;
}

// NOTE: SDL 2.26 waits for the X server to say that a window was mapped or
// unmapped (destroying a shown window unmaps it first), and on a lost
// display it would wait for ever: there, the program's end frees only our
// record, as the window went with its display.
void backend_show_window(backend_window* window, const char*)
{
    if (sdl_x11_display_lost())
        return;
    SDL_ShowWindow(window->sdl_window);
    // The frame exists once the window is mapped: only then can it be
    // measured and put where it belongs, as the manager's events come in
    // while the program draws (once: the user may move it later).
    sdl_x11_window_shown(window);
}

void backend_hide_window(backend_window* window)
{
    if (!sdl_x11_display_lost())
        SDL_HideWindow(window->sdl_window);
}

void backend_destroy_window(backend_window* window)
{
    sdl.windows.erase(std::find(sdl.windows.begin(), sdl.windows.end(), window));
    if (!sdl_x11_display_lost())
        SDL_DestroyWindow(window->sdl_window);
    delete window;
}

// X11 fixes a window's GL visual when the window is made (see above): its
// one format is there to be had.
bool backend_choose_pixel_format(backend_window*)
{
    return true;
}

bool backend_set_pixel_format(backend_window*)
{
    return true;
}

backend_window* sdl_window_from_id(Uint32 sdl_id)
{
    for (backend_window* live : sdl.windows) {
        if (live->sdl_id == sdl_id)
            return live;
    }
    return nullptr;
}
