#include "terrain_mesh.h"

#include <GL/gl.h>

namespace {

// Delivers each vertex straight to GL: its colour, then the vertex itself.
struct gl_vertex_sink {
    void vertex(float red, float green, float blue, float x, float y, float z)
    {
        glColor3f(red, green, blue);
        glVertex3f(x, y, z);
    }
};

}  // namespace

void emit_terrain_mesh(const height_field& field, const variant_params& params)
{
    gl_vertex_sink sink;
    glBegin(GL_TRIANGLES);
    emit_terrain_vertices(field, params, sink);
    glEnd();
}
