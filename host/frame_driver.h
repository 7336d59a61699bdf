// One frame of a viewer.
#pragma once

#include "height_field.h"
#include "orbit_camera.h"
#include "variant_params.h"

#include <windows.h>

// Clears, resets the model-view matrix, looks from the camera, sends the
// whole mesh, swaps the buffers, then moves the camera on by one step (and,
// where the program pauses after every frame, pauses).  The camera steps once
// per drawn frame; there is no clock.
void draw_frame(HDC device_context, camera_state& camera, const height_field& field,
                const variant_params& params);
