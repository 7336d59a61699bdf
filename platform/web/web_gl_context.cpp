// The page's half of the GL contexts: a WebGL context on the page's canvas,
// and the drawing surface behind it.
//
// The programs draw into a framebuffer of the client area's size with a
// 16-bit depth buffer, as the desktop's pixel format has; SwapBuffers copies
// it to the canvas.  The canvas's own depth buffer would have the browser's
// 24 bits, and the terrain, far off under a projection without a far plane,
// would then hide different fragments than on the desktop.
#include "web_backend.h"
#include "web_gl.h"

#include <GLES2/gl2.h>
#include <emscripten/html5.h>

struct backend_context {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl;
    backend_window* window;
    // The drawing surface and what copies it to the canvas, made the first
    // time the context is made current.
    GLuint framebuffer, colour, depth;
    GLuint copy_program, copy_buffer;
};

web_state web;

void web_reset()
{
    layer_reset_front();
    web = web_state();
}

static const char* const gl_copy_vertex_source =
    "attribute vec2 corner;\n"
    "void main() {\n"
    "    gl_Position = vec4(corner, 0.0, 1.0);\n"
    "}\n";
// Pixel for pixel: each canvas pixel takes the surface's pixel at the same
// place (the texture is sampled at its pixel centres, without filtering).
static const char* const gl_copy_fragment_source =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "uniform sampler2D surface;\n"
    "uniform vec2 size;\n"
    "void main() {\n"
    "    gl_FragColor = vec4(texture2D(surface, gl_FragCoord.xy / size).rgb, 1.0);\n"
    "}\n";

// The surface and the copy's program and quad; false when WebGL refuses.
static bool gl_make_surface(backend_context* context)
{
    const int width = context->window->client_width;
    const int height = context->window->client_height;
    glGenTextures(1, &context->colour);
    glBindTexture(GL_TEXTURE_2D, context->colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &context->depth);
    glBindRenderbuffer(GL_RENDERBUFFER, context->depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glGenFramebuffers(1, &context->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, context->colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, context->depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return false;

    context->copy_program =
        web_gl_program(gl_copy_vertex_source, gl_copy_fragment_source, web_copy_corner, "corner", nullptr);
    if (!context->copy_program)
        return false;
    glUseProgram(context->copy_program);
    glUniform1i(glGetUniformLocation(context->copy_program, "surface"), 0);
    glUniform2f(glGetUniformLocation(context->copy_program, "size"), static_cast<float>(width),
                static_cast<float>(height));
    // Two triangles covering the canvas.
    static const float corners[12] = {-1, -1, 1, -1, -1, 1, -1, 1, 1, -1, 1, 1};
    glGenBuffers(1, &context->copy_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, context->copy_buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glVertexAttribPointer(web_copy_corner, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(web_copy_corner);
    // The surface stays bound to texture unit 0 for the copy: the batches'
    // program samples no texture, so drawing into it meanwhile is allowed.
    return true;
}

backend_context* backend_create_context(backend_window* window)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // The canvas only shows the finished frames: no depth buffer of its
    // own, no multisampling (the desktop's format has none), opaque, and the
    // last frame kept for whoever reads the canvas later.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = emscripten_webgl_create_context("#client", &attributes);
    if (webgl <= 0) {
        layer_fail(ERROR_NOT_SUPPORTED, "WebGL is unavailable");
        return nullptr;
    }
    return new backend_context{webgl, window, 0, 0, 0, 0, 0};
}

void backend_release_current()
{
    if (web.current_context)
        emscripten_webgl_make_context_current(0);
    web.current_context = nullptr;
}

bool backend_make_current(backend_context* context, backend_window* window)
{
    if (window != context->window) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, "the context belongs to another window");
        return false;
    }
    if (emscripten_webgl_make_context_current(context->webgl) != EMSCRIPTEN_RESULT_SUCCESS) {
        layer_fail(ERROR_INVALID_HANDLE, "WebGL refused the context");
        return false;
    }
    web.current_context = context;
    // NOTE: a browser may hand over a context that is lost from the start
    // (its GPU process restarting, too many contexts).  It is waited for as
    // a loss mid-run is: the frames wait in SwapBuffers, and the surface is
    // made when the context comes back (web_context_loss.cpp).
    if (!context->framebuffer && web_page_context_state() != web_context_live) {
        web_page_context_lost_at_start();
        return true;
    }
    // Everything is made here, so that a browser whose WebGL cannot draw
    // the frames fails at start-up, not with a black canvas.  GL's initial
    // state is a new desktop context's: the whole drawable as viewport,
    // black, depth test off.
    bool made = true;
    if (!context->framebuffer) {
        made = gl_make_surface(context);
        if (made)
            web_gl_start_state(context->window->client_width, context->window->client_height);
    }
    if (!made || !web_gl_prepare_batches()) {
        layer_fail(ERROR_NOT_SUPPORTED, "WebGL cannot make the drawing surface");
        return false;
    }
    // Everything the programs draw goes to the surface.
    glBindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    return true;
}

void backend_delete_context(backend_context* context)
{
    if (web.current_context == context)
        web.current_context = nullptr;
    // Deleting the WebGL context frees its objects with it.
    emscripten_webgl_destroy_context(context->webgl);
    web_gl_forget_objects();
    delete context;
}

void web_present_frame(backend_window* window)
{
    const backend_context* context = web.current_context;
    web_gl_copy_to_canvas(context->copy_program, context->framebuffer, window->client_width, window->client_height);
}

bool web_remake_surface()
{
    backend_context* context = web.current_context;
    if (!context)
        return false;
    // The lost context's objects are gone with it; their names mean nothing.
    context->framebuffer = context->colour = context->depth = 0;
    context->copy_program = context->copy_buffer = 0;
    web_gl_forget_objects();
    if (!gl_make_surface(context) || !web_gl_prepare_batches())
        return false;
    glBindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    web_gl_restore_state();
    return true;
}

void web_keep_frame(backend_window* window)
{
    web.held_pixels.resize(static_cast<size_t>(window->client_width) * window->client_height * 4);
    glReadPixels(0, 0, window->client_width, window->client_height, GL_RGBA, GL_UNSIGNED_BYTE,
                 web.held_pixels.data());
}

void web_present_kept_frame(backend_window* window)
{
    if (web.held_pixels.empty() || !web.current_context)
        return;
    glBindTexture(GL_TEXTURE_2D, web.current_context->colour);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, window->client_width, window->client_height, GL_RGBA,
                    GL_UNSIGNED_BYTE, web.held_pixels.data());
    web_present_frame(window);
}
