// eye_trace NAME FIRST COUNT BLOCK: the eye of one viewer over many frames,
// for comparing builds whose C libraries differ (the eye goes through the
// library's sin and cos).  Advances the camera to FIRST, then for each block
// of BLOCK frames up to FIRST + COUNT prints one line:
//   first-frame  fingerprint-of-the-block's-eyes  eye-x eye-y eye-z (hex bits)
// where the eye is that of the block's first frame.  With BLOCK 1 every
// frame's eye is printed; a differing block can be narrowed down that way.

#include "fnv1a.h"
#include "frame_number.h"
#include "orbit_camera.h"
#include "variant_params.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// FRAME-style argument: 0 to 2^31 - 1, or -1 for anything else.
static long long parse_count(const char* text)
{
    long long value;
    return parse_frame_number(text, &value) ? value : -1;
}

static std::uint32_t bits_of(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

int main(int argc, char** argv)
{
    const variant_params* params = argc == 5 ? find_variant_params(argv[1]) : nullptr;
    const long long first = argc == 5 ? parse_count(argv[2]) : -1;
    const long long count = argc == 5 ? parse_count(argv[3]) : -1;
    const long long block = argc == 5 ? parse_count(argv[4]) : -1;
    if (!params || first < 0 || count < 0 || block < 1) {
        std::fprintf(stderr, "usage: eye_trace terrain320|terrain128|terrain32 FIRST COUNT BLOCK\n");
        return 2;
    }

    camera_state camera = start_camera(*params);
    for (long long k = 0; k < first; ++k)
        advance_camera(camera, *params);

    for (long long start = first; start < first + count; start += block) {
        fnv1a64 eyes;
        std::uint32_t first_eye[3] = {0, 0, 0};
        for (long long k = start; k < start + block && k < first + count; ++k) {
            place_eye(camera, *params);
            if (k == start) {
                first_eye[0] = bits_of(eye_x);
                first_eye[1] = bits_of(eye_y);
                first_eye[2] = bits_of(eye_z);
            }
            eyes.add(eye_x);
            eyes.add(eye_y);
            eyes.add(eye_z);
            advance_camera(camera, *params);
        }
        std::printf("%lld %016" PRIx64 " %08" PRIx32 " %08" PRIx32 " %08" PRIx32 "\n", start, eyes.value,
                    first_eye[0], first_eye[1], first_eye[2]);
    }
    return 0;
}
