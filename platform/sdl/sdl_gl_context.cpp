// SDL's half of the GL contexts: made, made current, released and deleted,
// and the swap.
#include "sdl_backend.h"

#include <GL/gl.h>

struct backend_context {
    SDL_GLContext sdl_context;
};

backend_context* backend_create_context(backend_window* window)
{
    SDL_Window* sdl_window = window->sdl_window;
    // NOTE: SDL makes a new context current; WGL leaves the current one be.
    SDL_Window* previous_window = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous_context = SDL_GL_GetCurrentContext();
    posix_chatter_begin("cannot create the GL context");
    sdl_x11_catch_errors();
    SDL_GLContext sdl_context = SDL_GL_CreateContext(sdl_window);
    const char* x_error = sdl_x11_caught_error(sdl_window);
    const char* said = posix_chatter_end();
    if (!sdl_context || x_error) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, sdl_failure_cause(x_error, said));
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
    return sdl_context ? new backend_context{sdl_context} : nullptr;
}

bool backend_make_current(backend_context* context, backend_window* window)
{
    if (SDL_GL_MakeCurrent(window->sdl_window, context->sdl_context) != 0) {
        layer_fail(ERROR_INVALID_HANDLE, SDL_GetError());
        return false;
    }
    // Swaps must never wait for the display; failing to say so is harmless
    // (Xvfb refuses any interval but its default 0).
    SDL_GL_SetSwapInterval(0);
    return true;
}

void backend_release_current()
{
    // Nothing can be current before SDL has started.
    if (sdl_video_started())
        SDL_GL_MakeCurrent(nullptr, nullptr);
}

void backend_delete_context(backend_context* context)
{
    if (SDL_GL_GetCurrentContext() == context->sdl_context)
        SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(context->sdl_context);
    delete context;
}

void backend_swap(backend_window* window)
{
    SDL_GL_SwapWindow(window->sdl_window);
    // NOTE: SDL 2.26.5's offscreen driver draws into a single-buffered pbuffer,
    // on which the swap does nothing, not even flush: Mesa then keeps every
    // frame's commands queued and memory grows by about 100 KiB a frame.  A
    // swap on a double-buffered window flushes; do the same here.  The
    // context's own buffering is asked, not SDL's version, so a driver that
    // gives a back buffer never pays for the flush.
    if (window->single_buffered)
        glFlush();
    sdl_wait_while_hidden(window);
}
