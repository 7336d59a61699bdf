// One glBegin/glEnd batch drawn with WebGL: the floats go into one buffer
// and one glDrawArrays draws them, through a shader pair that does what the
// fixed-function pipeline does for unlit, untextured vertices.
#include "web_gl_batch.h"

#include <GLES2/gl2.h>
#include <emscripten/html5_webgl.h>

static GLuint batch_program = 0;
static GLint batch_transform_location = -1;
static GLuint batch_buffer = 0;
// The bytes the buffer has room for, and how many of them hold the last
// batch's vertices.
static GLsizeiptr batch_buffer_size = 0;
static GLsizeiptr batch_buffer_filled = 0;

// The vertices and matrices are float32, as on the desktop (highp).
static const char* const batch_vertex_source =
    "precision highp float;\n"
    "attribute vec3 position;\n"
    "attribute vec3 colour;\n"
    "uniform mat4 transform;\n"
    "varying vec3 shade;\n"
    "void main() {\n"
    "    shade = colour;\n"
    "    gl_Position = transform * vec4(position, 1.0);\n"
    "}\n";
// Phones without high precision in fragment shaders get medium precision,
// which still carries a colour to 8 bits.
static const char* const batch_fragment_source =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "varying vec3 shade;\n"
    "void main() {\n"
    "    gl_FragColor = vec4(shade, 1.0);\n"
    "}\n";

static GLuint batch_shader(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

unsigned layer_gl_program(const char* vertex_source, const char* fragment_source, unsigned first_location,
                          const char* first_attribute, const char* second_attribute)
{
    const GLuint vertex = batch_shader(GL_VERTEX_SHADER, vertex_source);
    const GLuint fragment = batch_shader(GL_FRAGMENT_SHADER, fragment_source);
    GLuint program = 0;
    if (vertex && fragment) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glBindAttribLocation(program, first_location, first_attribute);
        if (second_attribute)
            glBindAttribLocation(program, first_location + 1, second_attribute);
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    // The program keeps what it needs; the shaders themselves can go.
    if (vertex)
        glDeleteShader(vertex);
    if (fragment)
        glDeleteShader(fragment);
    return program;
}

void layer_gl_forget_objects()
{
    batch_program = 0;
    batch_transform_location = -1;
    batch_buffer = 0;
    batch_buffer_size = 0;
    batch_buffer_filled = 0;
}

bool layer_gl_prepare_batches()
{
    if (batch_program)
        return true;
    // A context lost from its creation on has nothing to make objects in
    // (WebGL would hand out null shaders); they are made when it comes back.
    if (emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context()))
        return false;
    batch_program =
        layer_gl_program(batch_vertex_source, batch_fragment_source, layer_batch_colour, "colour", "position");
    if (!batch_program)
        return false;
    batch_transform_location = glGetUniformLocation(batch_program, "transform");
    glGenBuffers(1, &batch_buffer);
    // The attributes read the buffer from here on, whatever it holds later.
    glBindBuffer(GL_ARRAY_BUFFER, batch_buffer);
    const GLsizei stride = 6 * sizeof(float);
    glVertexAttribPointer(layer_batch_colour, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    glVertexAttribPointer(layer_batch_position, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glEnableVertexAttribArray(layer_batch_colour);
    glEnableVertexAttribArray(layer_batch_position);
    return true;
}

void layer_gl_draw_batch(unsigned mode, const float* vertices, int count, int unchanged,
                         const float* transform)
{
    if (!layer_gl_prepare_batches())
        return;
    const GLsizeiptr vertex_bytes = 6 * sizeof(float);
    const GLsizeiptr bytes = count * vertex_bytes;
    // NOTE: the buffer only grows, and only what changed is sent.  A big
    // upload every frame (15 MB for the 320 grid) makes the browser wait for
    // its GPU side to take it, several times the frame's own work.  The
    // buffer is bound only for an upload: a frame that sends nothing makes
    // no call for it.
    GLsizeiptr kept = unchanged * vertex_bytes;
    if (kept > batch_buffer_filled)
        kept = batch_buffer_filled;
    if (bytes > batch_buffer_size) {
        glBindBuffer(GL_ARRAY_BUFFER, batch_buffer);
        glBufferData(GL_ARRAY_BUFFER, bytes, vertices, GL_DYNAMIC_DRAW);
        batch_buffer_size = bytes;
    } else if (kept < bytes) {
        glBindBuffer(GL_ARRAY_BUFFER, batch_buffer);
        glBufferSubData(GL_ARRAY_BUFFER, kept, bytes - kept, reinterpret_cast<const char*>(vertices) + kept);
    }
    batch_buffer_filled = bytes;
    glUseProgram(batch_program);
    glUniformMatrix4fv(batch_transform_location, 1, GL_FALSE, transform);
    glDrawArrays(mode, 0, count);
}
