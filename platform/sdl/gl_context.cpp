// wglCreateContext/MakeCurrent/DeleteContext over SDL's GL contexts.
#include "layer.h"

#include <GL/gl.h>

#include <vector>

struct win32_gl_context {
    SDL_GLContext sdl_context;
};

static std::vector<HGLRC> gl_contexts;

static bool gl_is_context(HGLRC context)
{
    for (HGLRC live : gl_contexts) {
        if (live == context)
            return true;
    }
    return false;
}

HGLRC WINAPI wglCreateContext(HDC device_context)
{
    HWND window = layer_drawable_window(device_context);
    if (!window)
        return nullptr;
    // NOTE: SDL makes a new context current; WGL leaves the current one be.
    SDL_Window* previous_window = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous_context = SDL_GL_GetCurrentContext();
    layer_chatter_begin("cannot create the GL context");
    layer_x11_catch_errors();
    SDL_GLContext sdl_context = SDL_GL_CreateContext(window->sdl_window);
    const char* x_error = layer_x11_caught_error(window->sdl_window);
    const char* said = layer_chatter_end();
    if (!sdl_context || x_error) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, layer_failure_cause(x_error, said));
        if (sdl_context) {
            SDL_GL_DeleteContext(sdl_context);
            sdl_context = nullptr;
        }
    }
    // Decided once, here, so that a swap makes no GL call of its own.  SDL
    // made the new context current.
    if (sdl_context) {
        GLboolean double_buffered = GL_TRUE;
        glGetBooleanv(GL_DOUBLEBUFFER, &double_buffered);
        window->single_buffered = !double_buffered;
    }
    SDL_GL_MakeCurrent(previous_context ? previous_window : nullptr, previous_context);
    if (!sdl_context)
        return nullptr;
    HGLRC context = new win32_gl_context{sdl_context};
    gl_contexts.push_back(context);
    return context;
}

BOOL WINAPI wglMakeCurrent(HDC device_context, HGLRC context)
{
    if (!context) {
        // Nothing can be current before SDL has started.
        if (layer_video_started())
            SDL_GL_MakeCurrent(nullptr, nullptr);
        return TRUE;
    }
    if (!gl_is_context(context)) {
        layer_fail(ERROR_INVALID_HANDLE, "not a GL context");
        return FALSE;
    }
    HWND window = layer_drawable_window(device_context);
    if (!window)
        return FALSE;
    if (SDL_GL_MakeCurrent(window->sdl_window, context->sdl_context) != 0) {
        layer_fail(ERROR_INVALID_HANDLE, SDL_GetError());
        return FALSE;
    }
    // Swaps must never wait for the display; failing to say so is harmless
    // (Xvfb refuses any interval but its default 0).
    SDL_GL_SetSwapInterval(0);
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context)
{
    if (!gl_is_context(context)) {
        layer_fail(ERROR_INVALID_HANDLE, "not a GL context");
        return FALSE;
    }
    if (SDL_GL_GetCurrentContext() == context->sdl_context)
        SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(context->sdl_context);
    for (size_t i = 0; i < gl_contexts.size(); ++i) {
        if (gl_contexts[i] == context) {
            gl_contexts.erase(gl_contexts.begin() + i);
            break;
        }
    }
    delete context;
    return TRUE;
}
