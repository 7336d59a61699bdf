// The WebGL side of the layer's OpenGL 1.1 subset (web_gl_immediate.cpp), and
// what the window side (web_gl_context.cpp) shares with it.
#pragma once

// Draws `count` vertices, each six floats r, g, b, x, y, z, as WebGL
// primitives of `mode` (GL_POINTS to GL_TRIANGLE_FAN), transformed by the
// column-major matrix `transform` (projection * modelview), colours
// interpolated across each primitive.  The first `unchanged` vertices are
// the same as the last batch's, which WebGL may still hold.
void layer_gl_draw_batch(unsigned mode, const float* vertices, int count, int unchanged,
                         const float* transform);

// Makes the WebGL objects the batches use in the current context, if it has
// none yet; false when WebGL refuses them.
bool layer_gl_prepare_batches();

// Forgets the WebGL objects the batches use, for a context that is new or gone.
void layer_gl_forget_objects();

// Compiles and links a program from two GLSL ES 1.0 sources, with attribute
// `first_location` named `first_attribute` and the next one
// `second_attribute` (NULL: none); 0 when WebGL refuses.
unsigned layer_gl_program(const char* vertex_source, const char* fragment_source, unsigned first_location,
                          const char* first_attribute, const char* second_attribute);

// The vertex attributes of the batches (0 and 1) and of the copy to the
// canvas (2): each keeps its own, set once when its buffer is made, so that
// a frame switches programs without setting attributes again.
enum { layer_batch_colour = 0, layer_batch_position = 1, layer_copy_corner = 2 };
