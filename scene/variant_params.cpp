#include "variant_params.h"

#include <cstring>

// Fields in declaration order: name, N, storage, S, C, start radius, start
// speed, start direction, angle step, angle divisor, elevation angle, speed
// divisor, speed step, reversal limit, random divisor, start pause, frame pause.

const variant_params terrain320_params = {
    "terrain320", 320, row_table, 2.0f, 160.0, 480.0f, 2.0f, -1,
    1.0f, 16.0f, elevation_angle_value, 10.0f, speed_step_value, 1, 32767.0f,
    1000, no_pause,
};

const variant_params terrain128_params = {
    "terrain128", 128, row_table, 4.0f, 64.0, 192.0f, 2.0f, -1,
    0.5f, 16.0f, elevation_angle_value, 10.0f, speed_step_value, 1, 32767.0f,
    no_pause, no_pause,
};

const variant_params terrain32_params = {
    "terrain32", 32, contiguous, 2.0f, 16.0, 48.0f, 2.0f, -1,
    1.0f, 16.0f, elevation_angle_value, 10.0f, speed_step_value, 1, 32767.0f,
    no_pause, 1,
};

const variant_params* find_variant_params(const char* name)
{
    const variant_params* all[] = {&terrain320_params, &terrain128_params, &terrain32_params};
    for (const variant_params* params : all)
        if (std::strcmp(params->program_name, name) == 0)
            return params;
    return nullptr;
}
