#include "run_viewer.h"

#include "crt_rand.h"
#include "failure_text.h"
#include "frame_driver.h"
#include "height_field.h"
#include "render_context.h"
#include "viewer_window.h"

#include <new>
#include <stdio.h>

// The one line a viewer prints when it cannot start, e.g.
// "terrain128: cannot create the window: no display".  Returns the exit status.
static int report_startup_failure(const variant_params& params, const char* what)
{
    const char* cause = last_failure_text();
    if (cause[0] != '\0')
        fprintf(stderr, "%s: %s: %s\n", params.program_name, what, cause);
    else
        fprintf(stderr, "%s: %s\n", params.program_name, what);
    return 1;
}

int run_viewer(HINSTANCE instance, const variant_params& params, float* contiguous_cells)
{
    if (params.start_delay_ms != no_pause)
        Sleep(params.start_delay_ms);

    int quit = 0;
    MSG message = {};
    camera_state camera = start_camera(params);
    // The terrain exists before the window does.  Without the memory for it
    // the viewer cannot start; the builder has given back what it took.
    height_field field;
    try {
        field = build_height_field(params, contiguous_cells, crt_rand);
    } catch (const std::bad_alloc&) {
        fprintf(stderr, "%s: cannot build the height field: out of memory\n", params.program_name);
        return 1;
    }

    HWND window = create_viewer_window(instance);
    if (window == NULL) {
        const int status = report_startup_failure(params, "cannot create the window");
        release_height_field(field);
        return status;
    }
    HDC device_context;
    HGLRC rendering_context;
    if (const char* failure = setup_render_context(window, &device_context, &rendering_context)) {
        const int status = report_startup_failure(params, failure);
        release_height_field(field);
        DestroyWindow(window);
        return status;
    }

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
            draw_frame(device_context, camera, field, params);
        }
    }

    release_height_field(field);
    release_render_context(window, device_context, rendering_context);
    DestroyWindow(window);
    return static_cast<int>(message.wParam);
}
