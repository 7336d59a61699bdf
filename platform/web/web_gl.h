// The browser's GL (web_gl.cpp): OpenGL 1.1's immediate mode and GLU as the
// viewers use them, over WebGL 1, with the GL state the layer keeps in one
// record.  What the rest of the backend (the surface and the copy to the
// canvas in web_gl_context.cpp, a lost context's return in
// web_context_loss.cpp) asks of it.
#pragma once

// Compiles and links a program from two GLSL ES 1.0 sources, with attribute
// `first_location` named `first_attribute` and the next one
// `second_attribute` (NULL: none); 0 when WebGL refuses.
unsigned web_gl_program(const char* vertex_source, const char* fragment_source, unsigned first_location,
                        const char* first_attribute, const char* second_attribute);

// The vertex attribute of the copy to the canvas.  The batches use 0 and 1;
// each keeps its own, set once when its buffer is made, so that a frame
// switches programs without setting attributes again.
enum { web_copy_corner = 2 };

// Makes the WebGL objects the batches use in the current context, if it has
// none yet; false when WebGL refuses them.
bool web_gl_prepare_batches();

// Forgets the WebGL objects the batches use, for a context that is new or gone.
void web_gl_forget_objects();

// A new context's state, as a new desktop context has it: the whole
// drawable (`width` x `height`) as viewport, the rest GL's defaults.
void web_gl_start_state(int width, int height);

// Puts the recorded state (the viewport, the clear colour and depth, the
// depth function, the enables) into a context made again after a loss.
void web_gl_restore_state();

// Copies the finished frame to the canvas (framebuffer 0), `width` x
// `height`, with `copy_program`, the program's own viewport and depth test
// put aside meanwhile; then binds `framebuffer` for the next frame.
void web_gl_copy_to_canvas(unsigned copy_program, unsigned framebuffer, int width, int height);
