#include "orbit_camera.h"

#include "exact_trig.h"

#include <GL/glu.h>
#include <cstdlib>

// Every right-hand side below is evaluated in double and rounded to float32
// once, when it is stored.  C++ would otherwise do float arithmetic in float;
// the widening is written out because the camera's long-run motion (where the
// speed reverses, when the radius first turns negative) depends on it.

float eye_x = 0.0f;
float eye_y = 0.0f;
float eye_z = 0.0f;

camera_state start_camera(const variant_params& params)
{
    return camera_state{0.0f, params.start_radius, params.start_speed, params.start_direction};
}

void place_eye(const camera_state& camera, const variant_params& params)
{
    const double theta = static_cast<double>(camera.angle) / static_cast<double>(params.angle_divisor);
    const double radius = camera.radius;
    const double centre = params.grid_centre;
    // Our own correctly rounded sine and cosine, not the C library's: the C
    // libraries differ in the last bit (MinGW-w64's x87 code from glibc's),
    // which moved the eye by a float32 ulp on some frames.  These give the
    // same bits on every platform, the ones glibc gives on Linux.
    eye_x = static_cast<float>(exact_sin(theta) * radius + centre);
    // The cosine is taken every frame; 1 / cos is about 1.1547, so the eye
    // looks down at about 49 degrees below the horizontal.
    eye_y = static_cast<float>(radius / exact_cos(params.elevation_angle));
    eye_z = static_cast<float>(exact_cos(theta) * radius + centre);
}

void apply_camera(const camera_state& camera, const variant_params& params)
{
    place_eye(camera, params);
    // The stored float32 eye is passed, widened, not the unrounded values.
    const double centre = params.grid_centre;
    gluLookAt(eye_x, eye_y, eye_z, centre, 0.0, centre, 0.0, 1.0, 0.0);
}

void advance_camera(camera_state& camera, const variant_params& params)
{
    // Statement order matters: the radius moves with the speed from before
    // this frame's speed change.
    camera.angle = static_cast<float>(static_cast<double>(camera.angle) +
                                      static_cast<double>(params.angle_step));
    camera.radius = static_cast<float>(static_cast<double>(camera.radius) +
                                       static_cast<double>(camera.speed) /
                                           static_cast<double>(params.speed_divisor));
    camera.speed = static_cast<float>(static_cast<double>(camera.speed) +
                                      static_cast<double>(camera.direction) *
                                          static_cast<double>(params.speed_step));
    // Truncation toward zero, not rounding, decides the turning points: the
    // speed swings from 2.0 down to about -2.02 and back, never clamped.
    const int whole_speed = static_cast<int>(camera.speed);
    if (std::abs(whole_speed) > params.reversal_limit)
        camera.direction = -camera.direction;
}
