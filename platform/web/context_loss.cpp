// A lost WebGL context (a GPU reset, a driver update, too many contexts, a
// phone putting the tab aside) and its return.  While the context is lost
// the program waits in its next yield: no frame is counted, the camera does
// not move.  When the browser gives the context back, the surface, the
// batches' objects and the WebGL state the program had set are made again,
// and the frames go on from where they stopped.  If it does not come back,
// the page says so in one line and the run ends with status 1, as a desktop
// run does when it loses its display.
#include "gl_batch.h"
#include "layer.h"

#include <GLES2/gl2.h>

#include <stdlib.h>

// How long a lost context may stay away while the page is shown (ms), and
// how often the wait looks for its return.  A hidden page does not count:
// browsers restore contexts when a tab is shown again.
static const int loss_deadline_ms = 10000;
static const int loss_poll_ms = 50;

// The WebGL state a program sets for its frames (the host sets it once,
// after making the context current), as it was at the last frame shown.
// The matrices are kept in wasm (gl_immediate.cpp) and survive a loss.
struct loss_gl_state {
    bool kept;
    GLint viewport[4];
    GLfloat clear_colour[4];
    GLfloat clear_depth;
    GLint depth_func;
    GLboolean depth_test, cull_face, blend;
};
static loss_gl_state loss_state = {};

void layer_keep_gl_state()
{
    glGetIntegerv(GL_VIEWPORT, loss_state.viewport);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, loss_state.clear_colour);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &loss_state.clear_depth);
    glGetIntegerv(GL_DEPTH_FUNC, &loss_state.depth_func);
    loss_state.depth_test = glIsEnabled(GL_DEPTH_TEST);
    loss_state.cull_face = glIsEnabled(GL_CULL_FACE);
    loss_state.blend = glIsEnabled(GL_BLEND);
    loss_state.kept = true;
}

static void loss_enable(GLenum capability, GLboolean enabled)
{
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}

static void loss_restore_gl_state()
{
    if (!loss_state.kept)
        return;
    glViewport(loss_state.viewport[0], loss_state.viewport[1], loss_state.viewport[2], loss_state.viewport[3]);
    glClearColor(loss_state.clear_colour[0], loss_state.clear_colour[1], loss_state.clear_colour[2],
                 loss_state.clear_colour[3]);
    glClearDepthf(loss_state.clear_depth);
    glDepthFunc(static_cast<GLenum>(loss_state.depth_func));
    loss_enable(GL_DEPTH_TEST, loss_state.depth_test);
    loss_enable(GL_CULL_FACE, loss_state.cull_face);
    loss_enable(GL_BLEND, loss_state.blend);
}

static void loss_give_up()
{
    layer_page_context_gone();
    exit(1);
}

void layer_wait_while_context_lost()
{
    if (layer_page_context_state() == layer_context_live)
        return;
    int waited_ms = 0;
    for (int state; (state = layer_page_context_state()) != layer_context_live;) {
        if (state == layer_context_lost)
            waited_ms += loss_poll_ms;
        if (waited_ms > loss_deadline_ms)
            loss_give_up();
        layer_page_sleep(loss_poll_ms);
    }
    if (!layer_remake_surface())
        loss_give_up();
    loss_restore_gl_state();
}
