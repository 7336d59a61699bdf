// Resting while a window cannot be seen: SwapBuffers waits here while its
// window is minimised or unmapped, so that a viewer nobody can see does not
// keep a core busy drawing.  The program's loop is not changed: the frame is
// drawn, then its swap waits, and the camera goes on from there afterwards.
#include "sdl_backend.h"

// Long enough to cost nothing while waiting, short enough that nothing the
// wait misses (there should be nothing) would be late by much.
static const int hidden_wait_slice_ms = 250;

// True while the window system shows nothing of a window the program showed.
// A window the program never showed (drawn off-screen on purpose) and one
// merely covered or moved off the screen do not count.
static bool hidden_from_view(backend_window* window)
{
    const Uint32 flags = SDL_GetWindowFlags(window->sdl_window);
    if (flags & SDL_WINDOW_MINIMIZED)
        return true;
    if (!(window->style & WS_VISIBLE))
        return false;
    return (flags & SDL_WINDOW_HIDDEN) || sdl_x11_window_unmapped(window);
}

void sdl_wait_while_hidden(backend_window* window)
{
    // Events are read into the input stage as PeekMessageA reads them; once
    // any makes a message (a close request, a key), or a signal asks for a
    // close, the program's loop must see it.  A lost display, noticed while
    // reading, ends the run with a quit request, which is such a message.
    while (hidden_from_view(window) && !layer_message_waiting() && !posix_signal_pending() &&
           !sdl_wayland_display_lost()) {
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, hidden_wait_slice_ms))
            sdl_take_event(event);
    }
}
