#include "viewer_main.h"

#include "crt_rand.h"
#include "failure_text.h"
#include "height_field.h"
#include "orbit_camera.h"
#include "render_context.h"
#include "terrain_mesh.h"
#include "viewer_window.h"

#include <GL/gl.h>

#include <stdio.h>

// One frame: clear, reset the model-view matrix, look from the camera, send
// the whole mesh, show it, then move the camera on.  The camera steps once
// per drawn frame; there is no clock.
static void draw_frame(HDC device_context, camera_state& camera, const height_field& field,
                       const variant_params& params)
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    apply_camera(camera, params);
    emit_terrain_mesh(field, params);
    SwapBuffers(device_context);
    advance_camera(camera, params);
    if (params.frame_delay_ms != no_pause)
        Sleep(params.frame_delay_ms);
}

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
    // The terrain exists before the window does.
    height_field field = build_height_field(params, contiguous_cells, crt_rand);

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
