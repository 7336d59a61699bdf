#include "orbit_camera.h"

#include <GL/glu.h>
#include <cmath>
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
    eye_x = static_cast<float>(std::sin(theta) * radius + centre);
    // The cosine is taken every frame; 1 / cos is about 1.1547, so the eye
    // looks down at about 49 degrees below the horizontal.
    eye_y = static_cast<float>(radius / std::cos(params.elevation_angle));
    eye_z = static_cast<float>(std::cos(theta) * radius + centre);
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
