// SwapBuffers over SDL's GL windows.
#include "layer.h"

#include <GL/gl.h>

BOOL WINAPI SwapBuffers(HDC device_context)
{
    HWND window = layer_drawable_window(device_context);
    if (!window)
        return FALSE;
    // NOTE: SDL swaps only the window whose context is current.
    if (SDL_GL_GetCurrentWindow() != window->sdl_window || !SDL_GL_GetCurrentContext()) {
        layer_fail(ERROR_INVALID_HANDLE, "no GL context is current on this window");
        return FALSE;
    }
    SDL_GL_SwapWindow(window->sdl_window);
    // NOTE: SDL's offscreen driver draws into a single-buffered pbuffer, on
    // which the swap does nothing, not even flush: Mesa then keeps every
    // frame's commands queued and memory grows by about 100 KiB a frame.
    // A swap on a double-buffered window flushes; do the same here.
    if (window->single_buffered)
        glFlush();
    layer_wait_while_hidden(window);
    return TRUE;
}
