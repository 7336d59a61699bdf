// A lost WebGL context (a GPU reset, a driver update, too many contexts, a
// phone putting the tab aside) and its return.  While the context is lost
// the program waits in its next yield: no frame is counted, the camera does
// not move.  When the browser gives the context back, the surface, the
// batches' objects and the WebGL state the program had set are made again,
// and the frames go on from where they stopped.  A context the browser hands
// over already lost is waited for the same way (web_gl_context.cpp).  If it does
// not come back, the run ends with one line and status 1, through the
// program's own end, as a desktop run does when it loses its display.
#include "web_gl_batch.h"
#include "web_backend.h"

#include <GLES2/gl2.h>
#include <webgl/webgl1.h>

// How long a lost context may stay away while the page is shown (ms), and
// how often the wait looks for its return.  A hidden page does not count:
// browsers restore contexts when a tab is shown again.
static const int loss_deadline_ms = 10000;
static const int loss_poll_ms = 50;

// The WebGL state a program sets for its frames (the host sets it once,
// after making the context current), recorded as the calls go by: a query
// at each frame would make the browser wait for the GPU's previous frame.
// The matrices are kept in wasm (web_gl_immediate.cpp) and survive a loss.
struct loss_gl_state {
    GLint viewport[4];
    GLfloat clear_colour[4];
    GLfloat clear_depth;
    GLenum depth_func;
    unsigned enabled;  // bit i: loss_capabilities[i] is on
};
static loss_gl_state loss_state = {{0, 0, 0, 0}, {0, 0, 0, 0}, 1.0f, GL_LESS, 0};
static const GLenum loss_capabilities[] = {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_SCISSOR_TEST,
                                           GL_POLYGON_OFFSET_FILL};

static void loss_record_capability(GLenum capability, bool enabled)
{
    for (unsigned i = 0; i < sizeof loss_capabilities / sizeof loss_capabilities[0]; ++i) {
        if (loss_capabilities[i] == capability)
            loss_state.enabled = enabled ? loss_state.enabled | (1u << i) : loss_state.enabled & ~(1u << i);
    }
}

// The GL entry points that set that state: recorded, then passed to WebGL.
void glEnable(GLenum capability)
{
    loss_record_capability(capability, true);
    emscripten_glEnable(capability);
}

void glDisable(GLenum capability)
{
    loss_record_capability(capability, false);
    emscripten_glDisable(capability);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    loss_state.viewport[0] = x;
    loss_state.viewport[1] = y;
    loss_state.viewport[2] = width;
    loss_state.viewport[3] = height;
    emscripten_glViewport(x, y, width, height);
}

void glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    loss_state.clear_colour[0] = red;
    loss_state.clear_colour[1] = green;
    loss_state.clear_colour[2] = blue;
    loss_state.clear_colour[3] = alpha;
    emscripten_glClearColor(red, green, blue, alpha);
}

void glClearDepthf(GLfloat depth)
{
    loss_state.clear_depth = depth;
    emscripten_glClearDepthf(depth);
}

void glDepthFunc(GLenum function)
{
    loss_state.depth_func = function;
    emscripten_glDepthFunc(function);
}

// Puts the recorded state into the new context (which starts with GL's
// defaults), through WebGL directly.
static void loss_restore_gl_state(const loss_gl_state& s)
{
    emscripten_glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    emscripten_glClearColor(s.clear_colour[0], s.clear_colour[1], s.clear_colour[2], s.clear_colour[3]);
    emscripten_glClearDepthf(s.clear_depth);
    emscripten_glDepthFunc(s.depth_func);
    for (unsigned i = 0; i < sizeof loss_capabilities / sizeof loss_capabilities[0]; ++i) {
        if (s.enabled & (1u << i))
            emscripten_glEnable(loss_capabilities[i]);
        else
            emscripten_glDisable(loss_capabilities[i]);
    }
}

// The page's status line shows the failure line.
static bool loss_give_up()
{
    layer_page_context_gone();
    layer_end_run("lost the WebGL context", "the browser did not restore it");
    return false;
}

// How long the context has been away while the page was shown; kept across
// the waits a message cuts short, so that keys cannot put the deadline off.
static int loss_waited_ms = 0;

bool layer_wait_while_context_lost()
{
    if (layer_page_context_state() == layer_context_live)
        return false;
    // A message (Escape, the close button) goes back to the program's loop
    // at once, as the desktop's wait for a minimised window does: the
    // program handles it, and its next SwapBuffers waits here again.
    for (int state; (state = layer_page_context_state()) != layer_context_live &&
                    state != layer_context_restored;) {
        if (layer_message_waiting())
            return false;
        if (state == layer_context_lost)
            loss_waited_ms += loss_poll_ms;
        if (loss_waited_ms > loss_deadline_ms)
            return loss_give_up();
        layer_page_sleep(loss_poll_ms);
    }
    loss_waited_ms = 0;
    // Making the surface sets state of its own (the whole canvas as viewport).
    const loss_gl_state kept = loss_state;
    if (!layer_remake_surface())
        return loss_give_up();
    loss_restore_gl_state(kept);
    loss_state = kept;
    layer_page_context_mended();
    return true;
}

void layer_recorded_viewport(int viewport[4])
{
    for (int i = 0; i < 4; ++i)
        viewport[i] = loss_state.viewport[i];
}

bool layer_recorded_depth_test()
{
    return loss_state.enabled & 1u;  // loss_capabilities[0] is GL_DEPTH_TEST
}
