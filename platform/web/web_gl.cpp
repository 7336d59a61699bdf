// The browser's GL: OpenGL 1.1's matrix stack tops, immediate mode, the
// state calls the viewers make and GLU's two camera calls, as the viewers
// use them, over WebGL 1.  Everything the layer keeps of GL is in this file's
// record (gl below: the matrices, the state the program has set, the
// batches' WebGL objects) and the batch being written (gl_open).  A context
// made again after a loss gets its state from the record
// (web_gl_restore_state), and the copy to the canvas puts the program's
// state aside and back from there too.
//
// The matrices are GL's own: float column-major, each call's matrix
// multiplied onto the current one in float, as a desktop GL does; GLU
// computes in double (gluPerspective) or float (gluLookAt) as the classic
// library does.  Between glBegin and glEnd the colours and vertices collect
// as floats in one array; at glEnd they go into one WebGL buffer and one
// glDrawArrays draws them, through a shader pair that does what the
// fixed-function pipeline does for unlit, untextured vertices.
//
// NOTE: this file defines glEnable, glViewport and the other state calls in
// place of Emscripten's own, so it alone reaches WebGL's through their
// emscripten_gl names.
#include "web_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GLES2/gl2.h>
#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// A column-major 4x4 matrix: element (row r, column c) is m[c * 4 + r].
struct gl_matrix {
    float m[16];
};

static constexpr gl_matrix gl_identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// The capabilities glEnable and glDisable record, one bit each.
static const GLenum gl_capabilities[] = {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_SCISSOR_TEST,
                                         GL_POLYGON_OFFSET_FILL};
static const unsigned gl_depth_test_bit = 1u;  // gl_capabilities[0]

// The batches' vertex attributes (the copy to the canvas has its own).
enum { gl_batch_colour = 0, gl_batch_position = 1 };

// Everything the layer keeps of GL but the batch being written.
struct gl_record {
    // The matrices; they live in wasm and survive a lost context.
    gl_matrix modelview = gl_identity;
    gl_matrix projection = gl_identity;
    GLenum matrix_mode = GL_MODELVIEW;

    // The WebGL state the program sets for its frames (the host sets it
    // once, after making the context current), recorded as the calls go
    // by: a query at each frame would make the browser wait for the GPU's
    // previous frame.
    GLint viewport[4] = {0, 0, 0, 0};
    GLfloat clear_colour[4] = {0, 0, 0, 0};
    GLfloat clear_depth = 1.0f;
    GLenum depth_func = GL_LESS;
    unsigned enabled = 0;  // bit i: gl_capabilities[i] is on

    // The batches' WebGL objects in the current context (0: not made yet),
    // the bytes the buffer has room for, and how many of them hold the last
    // batch's vertices.
    GLuint program = 0;
    GLint transform_location = -1;
    GLuint buffer = 0;
    GLsizeiptr buffer_size = 0;
    GLsizeiptr buffer_filled = 0;
};
static gl_record gl;

// The batch being written, between glBegin and glEnd.
struct gl_batch {
    // The primitive, the colour, and the vertices as r, g, b, x, y, z
    // floats, written over the last batch's.
    GLenum primitive = 0;
    bool inside_begin = false;
    float colour[3] = {1.0f, 1.0f, 1.0f};
    // NOTE: plain malloc'd storage, not a std::vector: operator new may call
    // a new-handler through a pointer, and the browser build then treats
    // every caller as one that may yield, adding checks around each
    // glVertex3f call.
    float* vertices = nullptr;
    size_t capacity = 0;  // floats
    // Floats held (the last batch's, then this one's as it is written), and
    // how many of them (from the start) repeat the last batch bit for bit.
    size_t kept = 0;
    size_t written = 0;
    size_t unchanged = 0;
    // Set when memory for the batch ran out: the batch is not drawn.
    bool out_of_memory = false;
    // The floats a vertex may fill without a check of its own: the capacity
    // between glBegin and glEnd while memory lasts, 0 otherwise.  glVertex3f
    // compares against it once; every other case takes the slow path.
    size_t room = 0;
};
// NOTE: a record of its own, whose address never leaves this file (no
// pointer into it is given to a call, not even to the memcpy that copies a
// matrix): the compiler can then tell that the calls in the mesh loop
// (the slow path's realloc) leave it alone, and keeps the counters and the
// colour in registers through the loop that glVertex3f is inlined into.
// In the record above, they would go to memory at every vertex.
static gl_batch gl_open;

// --- The state calls: recorded, then passed to WebGL.

static void gl_record_capability(GLenum capability, bool enabled)
{
    for (unsigned i = 0; i < sizeof gl_capabilities / sizeof gl_capabilities[0]; ++i) {
        if (gl_capabilities[i] == capability)
            gl.enabled = enabled ? gl.enabled | (1u << i) : gl.enabled & ~(1u << i);
    }
}

void glEnable(GLenum capability)
{
    gl_record_capability(capability, true);
    emscripten_glEnable(capability);
}

void glDisable(GLenum capability)
{
    gl_record_capability(capability, false);
    emscripten_glDisable(capability);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    gl.viewport[0] = x;
    gl.viewport[1] = y;
    gl.viewport[2] = width;
    gl.viewport[3] = height;
    emscripten_glViewport(x, y, width, height);
}

void glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    gl.clear_colour[0] = red;
    gl.clear_colour[1] = green;
    gl.clear_colour[2] = blue;
    gl.clear_colour[3] = alpha;
    emscripten_glClearColor(red, green, blue, alpha);
}

void glClearDepthf(GLfloat depth)
{
    gl.clear_depth = depth;
    emscripten_glClearDepthf(depth);
}

void glDepthFunc(GLenum function)
{
    gl.depth_func = function;
    emscripten_glDepthFunc(function);
}

void glShadeModel(GLenum)
{
    // NOTE: WebGL 1 interpolates every varying: smooth shading is all it
    // does, and the only model the viewers ask for.
}

void web_gl_start_state(int width, int height)
{
    glViewport(0, 0, width, height);
}

void web_gl_restore_state()
{
    emscripten_glViewport(gl.viewport[0], gl.viewport[1], gl.viewport[2], gl.viewport[3]);
    emscripten_glClearColor(gl.clear_colour[0], gl.clear_colour[1], gl.clear_colour[2], gl.clear_colour[3]);
    emscripten_glClearDepthf(gl.clear_depth);
    emscripten_glDepthFunc(gl.depth_func);
    for (unsigned i = 0; i < sizeof gl_capabilities / sizeof gl_capabilities[0]; ++i) {
        if (gl.enabled & (1u << i))
            emscripten_glEnable(gl_capabilities[i]);
        else
            emscripten_glDisable(gl_capabilities[i]);
    }
}

void web_gl_copy_to_canvas(unsigned copy_program, unsigned framebuffer, int width, int height)
{
    // The copy draws the whole canvas without a depth test.  Only what
    // differs from the program's state is set, and set back after: each
    // call costs the page.  The record keeps the program's own state.
    const bool whole = gl.viewport[0] == 0 && gl.viewport[1] == 0 && gl.viewport[2] == width &&
                       gl.viewport[3] == height;
    const bool depth_test = gl.enabled & gl_depth_test_bit;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!whole)
        emscripten_glViewport(0, 0, width, height);
    if (depth_test)
        emscripten_glDisable(GL_DEPTH_TEST);
    glUseProgram(copy_program);
    glDrawArrays(GL_TRIANGLES, 0, 6);

    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    if (!whole)
        emscripten_glViewport(gl.viewport[0], gl.viewport[1], gl.viewport[2], gl.viewport[3]);
    if (depth_test)
        emscripten_glEnable(GL_DEPTH_TEST);
}

// --- The batches' WebGL objects.

// The vertices and matrices are float32, as on the desktop (highp).
static const char* const gl_batch_vertex_source =
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
static const char* const gl_batch_fragment_source =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "varying vec3 shade;\n"
    "void main() {\n"
    "    gl_FragColor = vec4(shade, 1.0);\n"
    "}\n";

static GLuint gl_shader(GLenum kind, const char* source)
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

unsigned web_gl_program(const char* vertex_source, const char* fragment_source, unsigned first_location,
                        const char* first_attribute, const char* second_attribute)
{
    const GLuint vertex = gl_shader(GL_VERTEX_SHADER, vertex_source);
    const GLuint fragment = gl_shader(GL_FRAGMENT_SHADER, fragment_source);
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

void web_gl_forget_objects()
{
    gl.program = 0;
    gl.transform_location = -1;
    gl.buffer = 0;
    gl.buffer_size = 0;
    gl.buffer_filled = 0;
}

bool web_gl_prepare_batches()
{
    if (gl.program)
        return true;
    // A context lost from its creation on has nothing to make objects in
    // (WebGL would hand out null shaders); they are made when it comes back.
    if (emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context()))
        return false;
    gl.program = web_gl_program(gl_batch_vertex_source, gl_batch_fragment_source, gl_batch_colour, "colour",
                                "position");
    if (!gl.program)
        return false;
    gl.transform_location = glGetUniformLocation(gl.program, "transform");
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    gl.buffer = buffer;
    // The attributes read the buffer from here on, whatever it holds later.
    glBindBuffer(GL_ARRAY_BUFFER, gl.buffer);
    const GLsizei stride = 6 * sizeof(float);
    glVertexAttribPointer(gl_batch_colour, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    glVertexAttribPointer(gl_batch_position, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glEnableVertexAttribArray(gl_batch_colour);
    glEnableVertexAttribArray(gl_batch_position);
    return true;
}

// Draws the batch's `count` vertices as WebGL primitives of the batch's
// mode, transformed by `transform` (projection * modelview), colours
// interpolated across each primitive.  The first `unchanged` vertices are
// the same as the last batch's, which WebGL may still hold.
static void gl_draw_batch(int count, int unchanged, const gl_matrix& transform)
{
    if (!web_gl_prepare_batches())
        return;
    const GLsizeiptr vertex_bytes = 6 * sizeof(float);
    const GLsizeiptr bytes = count * vertex_bytes;
    // NOTE: the buffer only grows, and only what changed is sent.  A big
    // upload every frame (15 MB for the 320 grid) makes the browser wait for
    // its GPU side to take it, several times the frame's own work.  The
    // buffer is bound only for an upload: a frame that sends nothing makes
    // no call for it.
    GLsizeiptr kept = unchanged * vertex_bytes;
    if (kept > gl.buffer_filled)
        kept = gl.buffer_filled;
    if (bytes > gl.buffer_size) {
        glBindBuffer(GL_ARRAY_BUFFER, gl.buffer);
        glBufferData(GL_ARRAY_BUFFER, bytes, gl_open.vertices, GL_DYNAMIC_DRAW);
        gl.buffer_size = bytes;
    } else if (kept < bytes) {
        glBindBuffer(GL_ARRAY_BUFFER, gl.buffer);
        glBufferSubData(GL_ARRAY_BUFFER, kept, bytes - kept, reinterpret_cast<const char*>(gl_open.vertices) + kept);
    }
    gl.buffer_filled = bytes;
    glUseProgram(gl.program);
    glUniformMatrix4fv(gl.transform_location, 1, GL_FALSE, transform.m);
    glDrawArrays(gl_open.primitive, 0, count);
}

// --- The matrices.

static gl_matrix& gl_current_matrix()
{
    return gl.matrix_mode == GL_PROJECTION ? gl.projection : gl.modelview;
}

// a * b, in float, element by element as GL sums them.
static gl_matrix gl_multiply(const gl_matrix& a, const gl_matrix& b)
{
    gl_matrix product;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = a.m[row] * b.m[column * 4];
            sum = sum + a.m[4 + row] * b.m[column * 4 + 1];
            sum = sum + a.m[8 + row] * b.m[column * 4 + 2];
            sum = sum + a.m[12 + row] * b.m[column * 4 + 3];
            product.m[column * 4 + row] = sum;
        }
    }
    return product;
}

static void gl_multiply_current(const gl_matrix& by)
{
    gl_matrix& current = gl_current_matrix();
    current = gl_multiply(current, by);
}

void glMatrixMode(GLenum mode)
{
    // Texture matrices are not kept: nothing here draws with textures.
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION)
        gl.matrix_mode = mode;
}

void glLoadIdentity(void)
{
    gl_current_matrix() = gl_identity;
}

// --- Immediate mode.

void glBegin(GLenum mode)
{
    // Points, lines and triangles (GL_POINTS to GL_TRIANGLE_FAN) are drawn
    // as WebGL draws them; quads and polygons are not available.
    gl_open.primitive = mode;
    gl_open.inside_begin = true;
    gl_open.written = 0;
    gl_open.unchanged = 0;
    gl_open.out_of_memory = false;
    gl_open.room = gl_open.capacity;
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    gl_open.colour[0] = red;
    gl_open.colour[1] = green;
    gl_open.colour[2] = blue;
}

// The batch's storage, and the same grown to hold `needed` floats (the
// storage itself when it has room); null vertices when there is no more
// memory, the old storage then kept.  Out of line, and given the storage as
// values: it touches nothing of gl_open.
struct gl_storage {
    float* vertices;
    size_t capacity;
};

__attribute__((noinline)) static gl_storage gl_grow(gl_storage storage, size_t needed)
{
    if (needed <= storage.capacity)
        return storage;
    const size_t grown = needed > 2 * storage.capacity ? needed : 2 * storage.capacity;
    float* moved = static_cast<float*>(realloc(storage.vertices, grown * sizeof(float)));
    if (!moved)
        return {nullptr, 0};
    return {moved, grown};
}

// Makes room for a vertex at `needed` floats; false outside glBegin/glEnd
// and once memory ran out.  Inlined: only gl_grow is a call (see gl_open's
// NOTE).
static bool gl_make_room(size_t needed)
{
    if (!gl_open.inside_begin || gl_open.out_of_memory)
        return false;
    const gl_storage grown = gl_grow({gl_open.vertices, gl_open.capacity}, needed);
    if (!grown.vertices) {
        gl_open.out_of_memory = true;
        gl_open.room = 0;
        return false;
    }
    gl_open.vertices = grown.vertices;
    gl_open.capacity = grown.capacity;
    gl_open.room = grown.capacity;
    return true;
}

static inline uint32_t gl_bits(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

// NOTE: called hundreds of thousands of times a frame; the browser build
// links with -flto so that this short path is inlined into the mesh loop.
void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (__builtin_expect(gl_open.written + 6 > gl_open.room, 0) && !gl_make_room(gl_open.written + 6))
        return;
    const float vertex[6] = {gl_open.colour[0], gl_open.colour[1], gl_open.colour[2], x, y, z};
    float* slot = gl_open.vertices + gl_open.written;
    gl_open.written += 6;
    // The viewers send the same mesh every frame: while the floats repeat
    // the last batch's bit for bit, nothing needs sending to WebGL again.
    // (Float loads and stores: the compiler then knows they cannot touch the
    // counters.)
    if (gl_open.unchanged + 6 == gl_open.written && gl_open.written <= gl_open.kept) {
        uint32_t differ = 0;
        for (int i = 0; i < 6; ++i)
            differ |= gl_bits(slot[i]) ^ gl_bits(vertex[i]);
        if (differ == 0) {
            gl_open.unchanged = gl_open.written;
            return;
        }
    }
    for (int i = 0; i < 6; ++i)
        slot[i] = vertex[i];
}

void glEnd(void)
{
    if (!gl_open.inside_begin)
        return;
    gl_open.inside_begin = false;
    gl_open.room = 0;
    gl_open.kept = gl_open.written;
    if (gl_open.primitive > GL_TRIANGLE_FAN || gl_open.written == 0 || gl_open.out_of_memory) {
        // Not drawn, so not in WebGL's buffer either: the next batch
        // repeats nothing.
        gl_open.kept = 0;
        return;
    }
    // The vertices go through projection * modelview, multiplied in float
    // once per batch, as a desktop GL's fixed-function transform does.
    gl_draw_batch(static_cast<int>(gl_open.written / 6), static_cast<int>(gl_open.unchanged / 6),
                  gl_multiply(gl.projection, gl.modelview));
}

// --- GLU's camera calls.

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble z_near, GLdouble z_far)
{
    // The classic formula in double.  A negative far value is passed through
    // as it is: the viewers rely on the projection it gives.
    const double pi = 3.14159265358979323846;
    const double radians = fovy / 2 * pi / 180;
    const double depth = z_far - z_near;
    const double sine = sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = cos(radians) / sine;
    gl_matrix perspective = gl_identity;
    perspective.m[0] = static_cast<float>(cotangent / aspect);
    perspective.m[5] = static_cast<float>(cotangent);
    perspective.m[10] = static_cast<float>(-(z_far + z_near) / depth);
    perspective.m[11] = -1.0f;
    perspective.m[14] = static_cast<float>(-2 * z_near * z_far / depth);
    perspective.m[15] = 0.0f;
    gl_multiply_current(perspective);
}

// Scales a float vector to unit length (left as it is when it has none).
static void gl_normalize(float v[3])
{
    const float length = static_cast<float>(sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (length == 0.0f)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

static void gl_cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble centre_x, GLdouble centre_y,
               GLdouble centre_z, GLdouble up_x, GLdouble up_y, GLdouble up_z)
{
    // The classic construction in float: forward, side = forward x up, and
    // the true up = side x forward, as the rows of a rotation, then a
    // translation by -eye; both multiplied onto the current matrix.
    float forward[3] = {static_cast<float>(centre_x - eye_x), static_cast<float>(centre_y - eye_y),
                        static_cast<float>(centre_z - eye_z)};
    float up[3] = {static_cast<float>(up_x), static_cast<float>(up_y), static_cast<float>(up_z)};
    float side[3];
    gl_normalize(forward);
    gl_cross(forward, up, side);
    gl_normalize(side);
    gl_cross(side, forward, up);

    gl_matrix rotation = gl_identity;
    for (int column = 0; column < 3; ++column) {
        rotation.m[column * 4 + 0] = side[column];
        rotation.m[column * 4 + 1] = up[column];
        rotation.m[column * 4 + 2] = -forward[column];
    }
    gl_multiply_current(rotation);

    // glTranslated: the last column becomes m * (x, y, z, 1), in float.
    gl_matrix& current = gl_current_matrix();
    const float x = static_cast<float>(-eye_x), y = static_cast<float>(-eye_y), z = static_cast<float>(-eye_z);
    for (int row = 0; row < 4; ++row)
        current.m[12 + row] = current.m[row] * x + current.m[4 + row] * y + current.m[8 + row] * z + current.m[12 + row];
}
