// A lost WebGL context (a GPU reset, a driver update, too many contexts, a
// phone putting the tab aside) and its return.  While the context is lost
// the program waits in its next yield: no frame is counted, the camera does
// not move.  When the browser gives the context back, the surface, the
// batches' objects and the WebGL state the program had set (as the browser's
// GL recorded it, web_gl.cpp) are made again, and the frames go on from
// where they stopped.  A context the browser hands
// over already lost is waited for the same way (web_gl_context.cpp).  If it does
// not come back, the run ends with one line and status 1, through the
// program's own end, as a desktop run does when it loses its display.
#include "web_backend.h"

// How long a lost context may stay away while the page is shown (ms), and
// how often the wait looks for its return.  A hidden page does not count:
// browsers restore contexts when a tab is shown again.
static const int loss_deadline_ms = 10000;
static const int loss_poll_ms = 50;

// The page's status line shows the failure line.
static bool loss_give_up()
{
    web_page_context_gone();
    layer_end_run("lost the WebGL context", "the browser did not restore it - reload the page");
    return false;
}

bool web_wait_while_context_lost()
{
    if (web_page_context_state() == web_context_live)
        return false;
    // A message (Escape, the close button) goes back to the program's loop
    // at once, as the desktop's wait for a minimised window does: the
    // program handles it, and its next SwapBuffers waits here again.
    for (int state; (state = web_page_context_state()) != web_context_live &&
                    state != web_context_restored;) {
        if (layer_message_waiting())
            return false;
        if (state == web_context_lost)
            web.loss_waited_ms += loss_poll_ms;
        if (web.loss_waited_ms > loss_deadline_ms)
            return loss_give_up();
        web_page_sleep(loss_poll_ms);
    }
    web.loss_waited_ms = 0;
    if (!web_remake_surface())
        return loss_give_up();
    web_page_context_mended();
    return true;
}
