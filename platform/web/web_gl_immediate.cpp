// OpenGL 1.1's matrix stack tops, immediate mode and GLU's two camera calls,
// as the viewers use them, over WebGL.  The matrices are GL's own: float
// column-major, each call's matrix multiplied onto the current one in float,
// as a desktop GL does; GLU computes in double (gluPerspective) or float
// (gluLookAt) as the classic library does.  Between glBegin and glEnd the
// colours and vertices collect as floats in one array, drawn by one
// glDrawArrays at glEnd (web_gl_batch.cpp).
#include "web_gl_batch.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <math.h>
#include <stdlib.h>
#include <stdint.h>
#include <string.h>

// A column-major 4x4 matrix: element (row r, column c) is m[c * 4 + r].
struct gl_matrix {
    float m[16];
};

static const gl_matrix gl_identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

static gl_matrix gl_modelview = gl_identity;
static gl_matrix gl_projection = gl_identity;
static GLenum gl_matrix_mode = GL_MODELVIEW;

// Between glBegin and glEnd: the primitive, the colour, and the vertices as
// r, g, b, x, y, z floats, written over the last batch's.
static GLenum gl_primitive = 0;
static bool gl_inside_begin = false;
static float gl_colour[3] = {1.0f, 1.0f, 1.0f};
// NOTE: plain malloc'd storage, not a std::vector: operator new may call a
// new-handler through a pointer, and the browser build then treats every
// caller as one that may yield, adding checks around each glVertex3f call.
static float* gl_vertices = nullptr;
static size_t gl_capacity = 0;  // floats
// Floats held (the last batch's, then this one's as it is written), and how
// many of them (from the start) repeat the last batch bit for bit.
static size_t gl_kept = 0;
static size_t gl_written = 0;
static size_t gl_unchanged = 0;
// Set when memory for the batch ran out: the batch is not drawn.
static bool gl_out_of_memory = false;
// The floats a vertex may fill without a check of its own: the capacity
// between glBegin and glEnd while memory lasts, 0 otherwise.  glVertex3f
// compares against it once; every other case takes the slow path.
static size_t gl_room = 0;

// Room for `floats` floats; false when there is no more memory.
static bool gl_reserve(size_t floats)
{
    if (floats <= gl_capacity)
        return true;
    const size_t grown = floats > 2 * gl_capacity ? floats : 2 * gl_capacity;
    float* moved = static_cast<float*>(realloc(gl_vertices, grown * sizeof(float)));
    if (!moved)
        return false;
    gl_vertices = moved;
    gl_capacity = grown;
    return true;
}

static gl_matrix& gl_current_matrix()
{
    return gl_matrix_mode == GL_PROJECTION ? gl_projection : gl_modelview;
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
        gl_matrix_mode = mode;
}

void glLoadIdentity(void)
{
    gl_current_matrix() = gl_identity;
}

void glShadeModel(GLenum)
{
    // NOTE: WebGL 1 interpolates every varying: smooth shading is all it
    // does, and the only model the viewers ask for.
}

void glBegin(GLenum mode)
{
    // Points, lines and triangles (GL_POINTS to GL_TRIANGLE_FAN) are drawn
    // as WebGL draws them; quads and polygons are not available.
    gl_primitive = mode;
    gl_inside_begin = true;
    gl_written = 0;
    gl_unchanged = 0;
    gl_out_of_memory = false;
    gl_room = gl_capacity;
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    gl_colour[0] = red;
    gl_colour[1] = green;
    gl_colour[2] = blue;
}

// Makes room for a vertex at `needed` floats; false outside glBegin/glEnd
// and once memory ran out.  It leaves the batch's counters and the colour
// alone, so that the compiler can keep those in registers through the mesh
// loop that glVertex3f is inlined into.
__attribute__((noinline)) static bool gl_make_room(size_t needed)
{
    if (!gl_inside_begin || gl_out_of_memory)
        return false;
    if (!gl_reserve(needed)) {
        gl_out_of_memory = true;
        gl_room = 0;
        return false;
    }
    gl_room = gl_capacity;
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
    if (__builtin_expect(gl_written + 6 > gl_room, 0) && !gl_make_room(gl_written + 6))
        return;
    const float vertex[6] = {gl_colour[0], gl_colour[1], gl_colour[2], x, y, z};
    float* slot = gl_vertices + gl_written;
    gl_written += 6;
    // The viewers send the same mesh every frame: while the floats repeat
    // the last batch's bit for bit, nothing needs sending to WebGL again.
    // (Float loads and stores: the compiler then knows they cannot touch the
    // counters.)
    if (gl_unchanged + 6 == gl_written && gl_written <= gl_kept) {
        uint32_t differ = 0;
        for (int i = 0; i < 6; ++i)
            differ |= gl_bits(slot[i]) ^ gl_bits(vertex[i]);
        if (differ == 0) {
            gl_unchanged = gl_written;
            return;
        }
    }
    for (int i = 0; i < 6; ++i)
        slot[i] = vertex[i];
}

void glEnd(void)
{
    if (!gl_inside_begin)
        return;
    gl_inside_begin = false;
    gl_room = 0;
    gl_kept = gl_written;
    if (gl_primitive > GL_TRIANGLE_FAN || gl_written == 0 || gl_out_of_memory) {
        // Not drawn, so not in WebGL's buffer either: the next batch
        // repeats nothing.
        gl_kept = 0;
        return;
    }
    // The vertices go through projection * modelview, multiplied in float
    // once per batch, as a desktop GL's fixed-function transform does.
    const gl_matrix transform = gl_multiply(gl_projection, gl_modelview);
    layer_gl_draw_batch(gl_primitive, gl_vertices, static_cast<int>(gl_written / 6),
                        static_cast<int>(gl_unchanged / 6), transform.m);
}

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
