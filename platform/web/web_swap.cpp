// The swap on the page: the frame drawn into the surface goes to the canvas
// (web_gl_context.cpp), and the program yields to the browser until the
// next frame is due.
#include "web_backend.h"

// While the page holds its last picture, it looks for input this often (ms).
static const int swap_hold_poll_ms = 50;

// Shows the frame, then gives the browser its turn: it composites the
// canvas, hands over the events that came in, and calls back when the next
// frame is due.  Past the page's last frame nothing more is shown, and the
// program waits here until there is a message for it (Escape, the close
// button), so the last picture stays and nothing spins.  A frame drawn while
// the context is lost is neither shown nor counted.
void backend_swap(backend_window* window)
{
    const int limit = web_page_frame_limit();
    if ((limit < 0 || web.frames_shown <= limit) && web_page_context_state() == web_context_live) {
        web_present_frame(window);
        web_page_frame_drawn(web.frames_shown);
        ++web.frames_shown;
        if (limit >= 0 && web.frames_shown == limit + 1)
            web_keep_frame(window);
    }
    if (limit >= 0 && web.frames_shown > limit) {
        while (!layer_message_waiting()) {
            if (web_wait_while_context_lost())
                web_present_kept_frame(window);
            else
                web_page_sleep(swap_hold_poll_ms);
        }
        return;
    }
    web_page_wait_frame();
    web_wait_while_context_lost();
}
