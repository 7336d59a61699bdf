#include "gl_recorder.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

gl_record record;
bool inside_batch = false;
bool colour_pending = false;
float pending_colour[3];

void log_call(const char* name, std::vector<double> args)
{
    record.calls.push_back(gl_call{name, std::move(args)});
}

}  // namespace

void record_call(const char* name, std::vector<double> args)
{
    log_call(name, std::move(args));
}

gl_record& recorded_gl()
{
    return record;
}

void reset_gl_record()
{
    record = gl_record{};
    inside_batch = false;
    colour_pending = false;
}

std::vector<std::string> recorded_gl_names()
{
    std::vector<std::string> names;
    for (const gl_call& call : record.calls)
        names.push_back(call.name);
    return names;
}

extern "C" {

void APIENTRY glBegin(GLenum mode)
{
    inside_batch = true;
    log_call("glBegin", {static_cast<double>(mode)});
}

void APIENTRY glEnd()
{
    inside_batch = false;
    log_call("glEnd", {});
}

void APIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    ++record.colour_calls;
    colour_pending = true;
    pending_colour[0] = red;
    pending_colour[1] = green;
    pending_colour[2] = blue;
}

void APIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    ++record.vertex_calls;
    if (!colour_pending)
        ++record.unpaired_vertices;
    if (!inside_batch)
        ++record.vertices_outside_batch;
    colour_pending = false;
    record.stream.vertex(pending_colour[0], pending_colour[1], pending_colour[2], x, y, z);
}

void APIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    log_call("glViewport", {double(x), double(y), double(width), double(height)});
}

void APIENTRY glMatrixMode(GLenum mode)
{
    log_call("glMatrixMode", {double(mode)});
}

void APIENTRY glLoadIdentity()
{
    log_call("glLoadIdentity", {});
}

void APIENTRY glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    log_call("glClearColor", {red, green, blue, alpha});
}

void APIENTRY glClear(GLbitfield mask)
{
    log_call("glClear", {double(mask)});
}

void APIENTRY glShadeModel(GLenum mode)
{
    log_call("glShadeModel", {double(mode)});
}

void APIENTRY glEnable(GLenum capability)
{
    log_call("glEnable", {double(capability)});
}

void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble near_value, GLdouble far_value)
{
    log_call("gluPerspective", {fovy, aspect, near_value, far_value});
}

void APIENTRY gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble centre_x,
                        GLdouble centre_y, GLdouble centre_z, GLdouble up_x, GLdouble up_y,
                        GLdouble up_z)
{
    log_call("gluLookAt", {eye_x, eye_y, eye_z, centre_x, centre_y, centre_z, up_x, up_y, up_z});
}

}  // extern "C"
