// The body of every viewer's entry point: start-up, the message loop that
// draws whenever no message waits, and the orderly shutdown.  The stages are
// open to the tools and benchmarks that run part of a viewer (draw one frame
// offscreen, time the start-up), so that they run the viewers' own sequence.
#pragma once

#include "height_field.h"
#include "orbit_camera.h"
#include "variant_params.h"

#include <windows.h>

// Everything one run holds from start-up to shutdown, owned by the entry
// function.
struct viewer_run {
    // What the run starts from.
    HINSTANCE instance;
    const variant_params* params;
    float* contiguous_cells;  // the entry function's N*N array (contiguous storage), else unused
    int window_width;         // the window's outer size: the viewers' own unless a tool asks otherwise
    int window_height;
    // What the start-up has made so far.
    int steps_taken;
    camera_state camera;
    height_field field;
    HWND window;
    HDC device_context;
    HGLRC rendering_context;
};

// The start-up's steps, in the order every viewer takes them: the terrain
// exists before the window does, the window before its rendering context.
enum startup_step {
    startup_terrain,         // the camera's start values, then the height field
    startup_window,          // the window class and the window, visible at once
    startup_render_context,  // pixel format, rendering context, fixed GL state
    startup_step_count
};

// A run of `params` not started yet, with the viewers' window.
viewer_run prepare_viewer_run(HINSTANCE instance, const variant_params& params, float* contiguous_cells);

// Takes the start-up's next step (run.steps_taken, counted from 0).  Returns
// NULL when it went well, else what could not be done; then the step has
// left nothing behind, and end_viewer_run releases the earlier steps' work.
const char* take_next_startup_step(viewer_run& run);

// Takes the remaining start-up steps in order and stops at the first that
// fails, with the same result.  The terrain320 pause is not part of it.
const char* start_viewer(viewer_run& run);

// The message loop, until a quit request; returns the quit message's code.
int run_message_loop(viewer_run& run);

// Releases what the start-up made: the height field, then the rendering and
// device contexts, then the window.
void end_viewer_run(viewer_run& run);

// Runs the viewer described by `params` until a quit request and returns the
// quit message's code (0), or 1 when the height field, the window or its
// rendering context cannot be made.  For contiguous storage,
// `contiguous_cells` is the entry function's own N*N array; otherwise it is
// unused.
int run_viewer(HINSTANCE instance, const variant_params& params, float* contiguous_cells);
