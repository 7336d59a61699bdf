#include "frame_driver.h"

#include "terrain_mesh.h"

#include <GL/gl.h>

void draw_frame(HDC device_context, camera_state& camera, const height_field& field,
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
