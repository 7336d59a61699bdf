#include "render_context.h"

#include <GL/gl.h>
#include <GL/glu.h>

// Identity projection, then a 40-degree perspective with aspect 1 (the
// picture is stretched 4:3) and a far value of -100.  The negative far value
// leaves the projection without a far plane: depth tends to 99/101 and never
// clips, which is what keeps a grid hundreds of units away visible at all.
void set_fixed_gl_state()
{
    glViewport(0, 0, viewport_width, viewport_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, 1.0, 1.0, -100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
}
