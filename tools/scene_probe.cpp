// scene_probe NAME FRAME: checks the terrain scene of one viewer without a
// display.  Prints the fingerprints of its height field and vertex stream,
// the vertex count, and the camera state and eye after FRAME advances.

#include "crt_rand.h"
#include "fnv1a.h"
#include "frame_number.h"
#include "height_field.h"
#include "orbit_camera.h"
#include "terrain_mesh.h"
#include "variant_params.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

static int usage()
{
    std::fprintf(stderr, "usage: scene_probe terrain320|terrain128|terrain32 FRAME (0 to 2147483647)\n");
    return 2;
}

// "XXXXXXXX (decimal)": the float's bit pattern, which builds are compared
// by, then a decimal for people (9 digits tell any two floats apart).
static std::string describe(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char text[48];
    std::snprintf(text, sizeof text, "%08" PRIx32 " (%.9g)", bits, value);
    return text;
}

int main(int argc, char** argv)
{
    long long frame = 0;
    if (argc != 3 || !parse_frame_number(argv[2], &frame))
        return usage();
    const variant_params* params = find_variant_params(argv[1]);
    if (!params)
        return usage();

    std::vector<float> cells(static_cast<size_t>(params->grid_size) * params->grid_size);
    height_field field = build_height_field(*params, cells.data(), crt_rand);

    fnv1a64 heights;
    for (int x = 0; x < field.size; ++x)
        for (int z = 0; z < field.size; ++z)
            heights.add(height_at(field, x, z));
    fingerprint_sink stream;
    emit_terrain_vertices(field, *params, stream);
    release_height_field(field);

    camera_state camera = start_camera(*params);
    for (long long k = 0; k < frame; ++k)
        advance_camera(camera, *params);
    place_eye(camera, *params);

    std::printf("heights_fnv1a64: %016" PRIx64 "\n", heights.value);
    std::printf("stream_fnv1a64: %016" PRIx64 "\n", stream.hash.value);
    std::printf("vertices: %lld\n", stream.vertices);
    std::printf("angle: %s\n", describe(camera.angle).c_str());
    std::printf("radius: %s\n", describe(camera.radius).c_str());
    std::printf("speed: %s\n", describe(camera.speed).c_str());
    std::printf("direction: %+d\n", camera.direction);
    std::printf("eye: %s %s %s\n", describe(eye_x).c_str(), describe(eye_y).c_str(),
                describe(eye_z).c_str());
    return 0;
}
