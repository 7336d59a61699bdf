#include "gl_recorder.h"
#include "orbit_camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

camera_state camera_after(long long frames, const variant_params& params)
{
    camera_state camera = start_camera(params);
    for (long long k = 0; k < frames; ++k)
        advance_camera(camera, params);
    return camera;
}

const variant_params* const all_programs[] = {&terrain320_params, &terrain128_params, &terrain32_params};

}  // namespace

// The speed and direction swing the same way in every program; these are the
// worked values, bit for bit.
TEST(orbit_camera, speed_and_direction_follow_the_worked_frames_in_every_program)
{
    struct frame { int k; float speed; int direction; };
    const frame frames[] = {
        {0, 2.0f, -1},
        {1, 1.9800000190734863f, -1},
        {2, 1.9600000381469727f, -1},
        {3, 1.940000057220459f, -1},
        {100, 1.341104507446289e-06f, -1},
        {101, -0.019998658448457718f, -1},
        {200, -1.9999973773956299f, -1},
        {201, -2.0199973583221436f, +1},
        {202, -1.9999973773956299f, +1},
        {302, 1.3113021850585938e-06f, +1},
        {401, 1.9800000190734863f, +1},
        {402, 2.0f, -1},
    };
    for (const variant_params* params : all_programs)
        for (const frame& f : frames) {
            const camera_state camera = camera_after(f.k, *params);
            EXPECT_EQ(camera.speed, f.speed) << params->program_name << " frame " << f.k;
            EXPECT_EQ(camera.direction, f.direction) << params->program_name << " frame " << f.k;
            EXPECT_EQ(camera.angle, static_cast<float>(f.k * double(params->angle_step)))
                << params->program_name << " frame " << f.k;
        }
}

TEST(orbit_camera, speed_never_reaches_zero_and_repeats_every_402_frames)
{
    camera_state camera = start_camera(terrain320_params);
    float lowest = camera.speed, highest = camera.speed;
    for (int k = 1; k <= 402 * 3; ++k) {
        advance_camera(camera, terrain320_params);
        ASSERT_NE(camera.speed, 0.0f) << "frame " << k;
        lowest = std::min(lowest, camera.speed);
        highest = std::max(highest, camera.speed);
        if (k % 402 == 0) {
            EXPECT_EQ(camera.speed, 2.0f) << "frame " << k;
            EXPECT_EQ(camera.direction, -1) << "frame " << k;
        }
    }
    EXPECT_EQ(lowest, -2.0199973583221436f);
    EXPECT_EQ(highest, 2.0f);
}

TEST(orbit_camera, radius_follows_the_worked_first_cycle_of_each_program)
{
    struct cycle {
        const variant_params* params;
        float frame1, highest, lowest, frame402;
    };
    const cycle cycles[] = {
        {&terrain320_params, 480.20001220703125f, 490.10003662109375f, 469.6980285644531f, 479.5980529785156f},
        {&terrain128_params, 192.1999969482422f, 202.10000610351562f, 181.69802856445312f, 191.59803771972656f},
        {&terrain32_params, 48.20000076293945f, 58.10000991821289f, 37.69804382324219f, 47.598052978515625f},
    };
    for (const cycle& c : cycles) {
        camera_state camera = start_camera(*c.params);
        EXPECT_EQ(camera.radius, c.params->start_radius);
        float highest = camera.radius, lowest = camera.radius;
        for (int k = 1; k <= 402; ++k) {
            advance_camera(camera, *c.params);
            highest = std::max(highest, camera.radius);
            lowest = std::min(lowest, camera.radius);
            if (k == 1) {
                EXPECT_EQ(camera.radius, c.frame1) << c.params->program_name;
            }
        }
        EXPECT_EQ(highest, c.highest) << c.params->program_name;
        EXPECT_EQ(lowest, c.lowest) << c.params->program_name;
        EXPECT_EQ(camera.radius, c.frame402) << c.params->program_name;
    }
    // terrain320 reaches its extremes at frames 100, 101 and 302, 303, and
    // passes its start radius (just above it) at frame 201.
    EXPECT_EQ(camera_after(100, terrain320_params).radius, 490.10003662109375f);
    EXPECT_EQ(camera_after(101, terrain320_params).radius, 490.10003662109375f);
    EXPECT_EQ(camera_after(201, terrain320_params).radius, 480.0000305175781f);
    EXPECT_EQ(camera_after(302, terrain320_params).radius, 469.6980285644531f);
    EXPECT_EQ(camera_after(303, terrain320_params).radius, 469.6980285644531f);
}

TEST(orbit_camera, radius_first_turns_non_positive_at_the_worked_frames)
{
    struct crossing { const variant_params* params; long long frame; };
    for (const crossing& c : {crossing{&terrain320_params, 470228}, crossing{&terrain128_params, 182389},
                              crossing{&terrain32_params, 38082}}) {
        camera_state camera = start_camera(*c.params);
        long long k = 0;
        while (camera.radius > 0.0f && k < 1000000) {
            advance_camera(camera, *c.params);
            ++k;
        }
        EXPECT_EQ(k, c.frame) << c.params->program_name;
    }
}

TEST(orbit_camera, angle_counter_sticks_once_the_step_no_longer_changes_it)
{
    for (const variant_params* params : {&terrain320_params, &terrain128_params}) {
        const float limit = params->angle_step == 1.0f ? 16777216.0f : 8388608.0f;
        const long long frames_to_limit = static_cast<long long>(limit / params->angle_step);
        camera_state camera = start_camera(*params);
        for (long long k = 1; k <= frames_to_limit; ++k) {
            advance_camera(camera, *params);
            if (k % 1000003 == 0) {
                ASSERT_EQ(camera.angle, static_cast<float>(k * double(params->angle_step)));
            }
        }
        ASSERT_EQ(camera.angle, limit) << params->program_name;
        const float radius = camera.radius;
        advance_camera(camera, *params);
        advance_camera(camera, *params);
        EXPECT_EQ(camera.angle, limit) << params->program_name;
        EXPECT_NE(camera.radius, radius) << "the radius goes on changing";
    }
}

TEST(orbit_camera, eye_stands_at_the_worked_points)
{
    struct eye { const variant_params* params; int frame; float x, y, z; };
    const eye eyes[] = {
        {&terrain320_params, 0, 160.0f, 554.25629f, 640.0f},
        {&terrain128_params, 0, 64.0f, 221.70251f, 256.0f},
        {&terrain32_params, 0, 16.0f, 55.425629f, 64.0f},
        {&terrain320_params, 1, 189.99297f, 554.48724f, 639.26245f},
    };
    for (const eye& e : eyes) {
        place_eye(camera_after(e.frame, *e.params), *e.params);
        EXPECT_EQ(eye_x, e.x) << e.params->program_name << " frame " << e.frame;
        EXPECT_EQ(eye_y, e.y) << e.params->program_name << " frame " << e.frame;
        EXPECT_EQ(eye_z, e.z) << e.params->program_name << " frame " << e.frame;
    }
}

TEST(orbit_camera, eye_moves_anticlockwise_seen_from_above_and_below_ground_once_radius_is_negative)
{
    // A quarter turn (angle 8 pi) puts the eye on the +x side of the centre.
    camera_state camera = start_camera(terrain32_params);
    // pi written out: M_PI is not standard C++ and strict MinGW headers omit it.
    camera.angle = static_cast<float>(8.0 * 3.14159265358979323846);
    place_eye(camera, terrain32_params);
    EXPECT_NEAR(eye_x, 16.0 + 48.0, 1e-3);
    EXPECT_NEAR(eye_z, 16.0, 1e-3);

    camera.angle = 0.0f;
    camera.radius = -10.0f;
    place_eye(camera, terrain32_params);
    EXPECT_LT(eye_y, 0.0f);
    EXPECT_EQ(eye_z, 6.0f);
}

TEST(orbit_camera, apply_passes_the_stored_eye_and_the_grid_centre_to_look_at)
{
    for (const variant_params* params : all_programs) {
        const camera_state camera = camera_after(1, *params);
        reset_gl_record();
        apply_camera(camera, *params);
        const std::vector<gl_call>& calls = recorded_gl().calls;
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].name, "gluLookAt");
        const double c = params->grid_centre;
        const std::vector<double> expected = {double(eye_x), double(eye_y), double(eye_z), c, 0.0, c, 0.0, 1.0, 0.0};
        EXPECT_EQ(calls[0].args, expected) << params->program_name;
    }
}
