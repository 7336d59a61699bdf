#include "run_viewer.h"

#include "crt_rand.h"
#include "failure_advice.h"
#include "failure_text.h"
#include "frame_driver.h"
#include "render_context.h"
#include "viewer_window.h"

#include <new>
#include <stdio.h>

// The one line a viewer prints when it cannot start, e.g.
// "terrain128: cannot create the window: no display - start it in a desktop
// session, ...".  The window system's words for the cause follow only a
// failure of the window system's own; what a person can do follows last.
// Returns the exit status.
static int report_startup_failure(const variant_params& params, const char* what, bool window_system_failed)
{
    const char* cause = window_system_failed ? last_failure_text() : "";
    const char* advice = failure_advice(what, cause);
    char line[512];
    snprintf(line, sizeof line, "%s: %s%s%s%s%s", params.program_name, what, cause[0] != '\0' ? ": " : "", cause,
             advice ? " - " : "", advice ? advice : "");
    show_failure_line(params.program_name, line);
    return 1;
}

viewer_run prepare_viewer_run(HINSTANCE instance, const variant_params& params, float* contiguous_cells)
{
    viewer_run run = {};
    run.instance = instance;
    run.params = &params;
    run.contiguous_cells = contiguous_cells;
    run.window_width = viewer_window_width;
    run.window_height = viewer_window_height;
    return run;
}

const char* take_next_startup_step(viewer_run& run)
{
    switch (run.steps_taken) {
    case startup_terrain:
        run.camera = start_camera(*run.params);
        // Without the memory for the terrain the viewer cannot start; the
        // builder has given back the rows it had made, so nothing is left.
        try {
            run.field = build_height_field(*run.params, run.contiguous_cells, crt_rand);
        } catch (const std::bad_alloc&) {
            return "cannot build the height field: out of memory";
        }
        break;
    case startup_window:
        run.window = create_viewer_window(run.instance, run.window_width, run.window_height);
        if (run.window == NULL)
            return "cannot create the window";
        break;
    case startup_render_context:
        if (const char* failure = setup_render_context(run.window, &run.device_context, &run.rendering_context))
            return failure;
        break;
    default:
        return "the start-up is already done";
    }
    ++run.steps_taken;
    return NULL;
}

const char* start_viewer(viewer_run& run)
{
    while (run.steps_taken < startup_step_count) {
        if (const char* failure = take_next_startup_step(run))
            return failure;
    }
    return NULL;
}

int run_message_loop(viewer_run& run)
{
    int quit = 0;
    MSG message = {};
    // Never waits: each pass handles one pending message or, when none is
    // pending, draws one frame.  WM_QUIT itself is neither translated nor
    // dispatched; it ends the loop.
    while (!quit) {
        if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = 1;
            } else {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        } else {
            draw_frame(run.device_context, run.camera, run.field, *run.params);
        }
    }
    return static_cast<int>(message.wParam);
}

void end_viewer_run(viewer_run& run)
{
    if (run.steps_taken > startup_terrain)
        release_height_field(run.field);
    if (run.steps_taken > startup_render_context)
        release_render_context(run.window, run.device_context, run.rendering_context);
    if (run.steps_taken > startup_window)
        DestroyWindow(run.window);
    run.steps_taken = 0;
}

int run_viewer(HINSTANCE instance, const variant_params& params, float* contiguous_cells)
{
    if (params.start_delay_ms != no_pause)
        Sleep(params.start_delay_ms);

    viewer_run run = prepare_viewer_run(instance, params, contiguous_cells);
    if (const char* failure = start_viewer(run)) {
        const int status = report_startup_failure(params, failure, run.steps_taken != startup_terrain);
        end_viewer_run(run);
        return status;
    }
    const int status = run_message_loop(run);
    end_viewer_run(run);
    return status;
}
