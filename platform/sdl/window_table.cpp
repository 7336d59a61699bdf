// Top-level windows: creation and destruction with the messages Windows sends
// from inside those calls, SendMessageA, and the table of live windows.
#include "layer.h"
#include "window_frame.h"

#include <vector>

// Live windows in creation order: a handful at most, so every lookup is a scan.
static std::vector<HWND> window_order;

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

// Removes a window from the tables and frees it; its messages go with it.
void layer_release_window(HWND window)
{
    for (size_t i = 0; i < window_order.size(); ++i) {
        if (window_order[i] == window) {
            window_order.erase(window_order.begin() + i);
            break;
        }
    }
    layer_forget_window_messages(window);
    SDL_DestroyWindow(window->sdl_window);
    delete window;
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param)
{
    const WNDPROC procedure = layer_class_procedure(class_name);
    if (!procedure) {
        layer_fail(ERROR_CANNOT_FIND_WND_CLASS, "the window class is not registered");
        return nullptr;
    }
    if (parent || menu || (style & WS_CHILD)) {
        layer_fail(ERROR_NOT_SUPPORTED, "only top-level windows without menus are available");
        return nullptr;
    }
    if (!layer_start_video())
        return nullptr;

    const layer_window_frame frame = layer_window_frame_of_style(style);
    const int client_x = x + frame.left;
    const int client_y = y + frame.top;
    const int client_width = SDL_max(1, width - frame.left - frame.right);
    const int client_height = SDL_max(1, height - frame.top - frame.bottom);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    // NOTE: a window manager puts its frame's top-left where the window asks
    // to be, as Windows puts the outer rectangle; a bare X server puts the
    // client area there, so the client asks for its own place inside the
    // classic frame.
    const bool framed = layer_x11_window_manager_frames_windows();
    window_set_gl_attributes();
    layer_chatter_begin("cannot create the window");
    layer_x11_catch_errors();
    SDL_Window* sdl_window = SDL_CreateWindow(window_name ? window_name : "", framed ? x : client_x,
                                              framed ? y : client_y, client_width, client_height, flags);
    const char* x_error = layer_x11_caught_error(sdl_window);
    const char* said = layer_chatter_end();
    if (!sdl_window || x_error) {
        layer_fail(ERROR_NOT_SUPPORTED, layer_failure_cause(x_error, said));
        if (sdl_window)
            SDL_DestroyWindow(sdl_window);
        return nullptr;
    }
    layer_x11_offer_style(sdl_window, style);

    HWND window = new win32_window{};
    window->procedure = procedure;
    window->style = style;
    window->sdl_window = sdl_window;
    window->sdl_id = SDL_GetWindowID(sdl_window);
    window->device_context.window = window;
    window_order.push_back(window);

    CREATESTRUCTA create = {param,  instance, menu,       parent,     height,     width,
                            y,      x,        static_cast<LONG>(style), window_name, class_name, ex_style};
    if (!layer_send_creation_messages(window, &create, client_x, client_y, client_width, client_height))
        return nullptr;
    if ((style & WS_VISIBLE) && layer_is_window(window)) {
        SDL_ShowWindow(sdl_window);
        SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
        // A window that appears needs painting: WM_PAINT follows any input.
        if (layer_is_window(window))
            window->needs_paint = true;
    }
    return layer_is_window(window) ? window : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    if (!layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return FALSE;
    }
    // DestroyWindow from inside WM_DESTROY finds the window already going.
    if (window->destroying)
        return TRUE;
    window->destroying = true;
    SDL_HideWindow(window->sdl_window);
    SendMessageA(window, WM_DESTROY, 0, 0);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    layer_release_window(window);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return 0;
    }
    return window->procedure(window, message, wparam, lparam);
}

HWND layer_window_from_sdl_id(Uint32 sdl_id)
{
    for (HWND live : window_order) {
        if (live->sdl_id == sdl_id)
            return live;
    }
    return nullptr;
}

bool layer_is_window(HWND window)
{
    if (!window)
        return false;
    for (HWND live : window_order) {
        if (live == window)
            return true;
    }
    return false;
}

HWND layer_first_window()
{
    return window_order.empty() ? nullptr : window_order.front();
}

HWND layer_window_of_dc(HDC device_context)
{
    for (HWND live : window_order) {
        if (&live->device_context == device_context)
            return live;
    }
    return nullptr;
}

HDC layer_dc_of_window(HWND window)
{
    return &window->device_context;
}

void layer_validate_window(HWND window)
{
    if (layer_is_window(window))
        window->needs_paint = false;
}

HWND layer_window_needing_paint(HWND filter)
{
    for (HWND live : window_order) {
        if (live->needs_paint && (!filter || filter == live))
            return live;
    }
    return nullptr;
}
