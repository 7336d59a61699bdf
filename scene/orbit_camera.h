// The camera: circles the vertical axis through the grid centre, looking down
// at the centre, while its distance from that axis swings slowly in and out.
#pragma once

#include "variant_params.h"

struct camera_state {
    float angle;    // angle counter; angle / angle_divisor is the orbit angle in radians
    float radius;   // horizontal distance of the eye from the axis through the centre
    float speed;    // radial speed: the radius changes by speed / speed_divisor per frame
    int direction;  // +1 or -1: the sign with which the speed changes each frame
};

// The last eye position, written by every apply_camera.
extern float eye_x;
extern float eye_y;
extern float eye_z;

// The state the camera starts every run from.
camera_state start_camera(const variant_params& params);

// Stores the eye point of `camera` into eye_x, eye_y, eye_z.
void place_eye(const camera_state& camera, const variant_params& params);

// Places the eye, then multiplies the look-at transform from the stored eye
// towards (C, 0, C) onto the current GL matrix.  Needs a current context.
void apply_camera(const camera_state& camera, const variant_params& params);

// Moves the camera on by one frame.
void advance_camera(camera_state& camera, const variant_params& params);
