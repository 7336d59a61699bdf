// The floor under a viewer's frame: a minimal SDL2 program that makes the
// same GL calls as the viewer's frame, in the same order, with the same
// values, read from arrays computed before the first frame.  Same pixel
// format, same window size, same fixed state (the host's own); no host, no
// layer, no scene code inside the frame and no malloc settings of its own (run it with or
// without GLIBC_TUNABLES to see what they do).
//
//   frame_floor PROGRAM FRAMES WARMUP [--vertex-array]
//
// With --vertex-array the mesh is drawn from the same array with one
// glDrawArrays instead of glBegin/glColor3f/glVertex3f/glEnd: what immediate
// mode itself costs.  Prints the same line as frame_bench.

#include "crt_rand.h"
#include "height_field.h"
#include "orbit_camera.h"
#include "process_usage.h"
#include "render_context.h"
#include "terrain_mesh.h"
#include "viewer_window.h"
#include "window_frame.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <vector>

namespace {

// One vertex as the viewer sends it: colour, then position.
struct floor_vertex {
    float red, green, blue, x, y, z;
};

struct collecting_sink {
    std::vector<floor_vertex>* vertices;
    void vertex(float red, float green, float blue, float x, float y, float z)
    {
        vertices->push_back({red, green, blue, x, y, z});
    }
};

struct eye_point {
    float x, y, z;
};

long long floor_now_ns()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// The window format and size the layer gives the viewers: double-buffered
// RGBA 8/8/8 with 16 depth bits, GL 2.1 compatibility, the client area of
// the viewers' window inside the layer's frame.
SDL_Window* floor_open_window()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    const layer_window_frame frame = layer_window_frame_of_style(viewer_window_style);
    SDL_Window* window = SDL_CreateWindow(viewer_window_title, frame.left, frame.top,
                                          viewer_window_width - frame.left - frame.right,
                                          viewer_window_height - frame.top - frame.bottom,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window)
        SDL_ShowWindow(window);
    return window;
}

}  // namespace

int main(int argc, char** argv)
{
    const variant_params* params = argc >= 4 ? find_variant_params(argv[1]) : nullptr;
    const long frames = argc >= 4 ? atol(argv[2]) : 0;
    const long warmup = argc >= 4 ? atol(argv[3]) : 0;
    const bool vertex_array = argc >= 5 && strcmp(argv[4], "--vertex-array") == 0;
    if (!params || frames <= 0 || warmup <= 0) {
        fprintf(stderr, "usage: frame_floor PROGRAM FRAMES WARMUP [--vertex-array]\n");
        return 2;
    }

    // Everything the frames read, computed first: the vertex stream and one
    // eye point per frame, exactly as the viewer computes them.
    std::vector<float> cells(params->grid_size * params->grid_size);
    crt_srand(1);
    height_field field = build_height_field(*params, cells.data(), crt_rand);
    std::vector<floor_vertex> vertices;
    collecting_sink sink = {&vertices};
    emit_terrain_vertices(field, *params, sink);
    release_height_field(field);
    const long total = warmup + frames;
    std::vector<eye_point> eyes;
    camera_state camera = start_camera(*params);
    for (long frame = 0; frame < total; ++frame) {
        place_eye(camera, *params);
        eyes.push_back({eye_x, eye_y, eye_z});
        advance_camera(camera, *params);
    }
    const double centre = params->grid_centre;
    const GLsizei count = static_cast<GLsizei>(vertices.size());
    const floor_vertex* stream = vertices.data();

    SDL_Window* window = floor_open_window();
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        fprintf(stderr, "frame_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);
    set_fixed_gl_state();
    if (vertex_array) {
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        glColorPointer(3, GL_FLOAT, sizeof(floor_vertex), &stream->red);
        glVertexPointer(3, GL_FLOAT, sizeof(floor_vertex), &stream->x);
    }

    long long start_ns = 0;
    long long start_cpu_ns = 0;
    long start_faults = 0;
    SDL_Event event;
    for (long frame = 0; frame < total; ++frame) {
        if (frame == warmup) {
            start_faults = process_minor_faults();
            start_cpu_ns = process_cpu_ns();
            start_ns = floor_now_ns();
        }
        while (SDL_PollEvent(&event)) {
        }
        const eye_point& eye = eyes[frame];
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, centre, 0.0, centre, 0.0, 1.0, 0.0);
        if (vertex_array) {
            glDrawArrays(GL_TRIANGLES, 0, count);
        } else {
            glBegin(GL_TRIANGLES);
            for (GLsizei i = 0; i < count; ++i) {
                glColor3f(stream[i].red, stream[i].green, stream[i].blue);
                glVertex3f(stream[i].x, stream[i].y, stream[i].z);
            }
            glEnd();
        }
        SDL_GL_SwapWindow(window);
        // As the layer's SwapBuffers: a single-buffered surface (SDL's
        // offscreen driver) gets the flush a swap would have made.
        GLboolean double_buffered = GL_TRUE;
        glGetBooleanv(GL_DOUBLEBUFFER, &double_buffered);
        if (!double_buffered)
            glFlush();
    }
    const long long elapsed_ns = floor_now_ns() - start_ns;
    const long long used_ns = process_cpu_ns() - start_cpu_ns;
    const long faults = process_minor_faults() - start_faults;
    printf("program %s frames %ld ms_per_frame %.4f cpu_ms_per_frame %.4f faults_per_frame %.2f\n",
           params->program_name, frames, elapsed_ns / 1e6 / frames, used_ns / 1e6 / frames,
           static_cast<double>(faults) / frames);

    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
