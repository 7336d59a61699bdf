// The floor under a page's work per frame (bench/web_bench.sh): in a bare
// page, the same vertex stream as the viewers' mesh, computed from the same
// heights each frame and written into one array, with the comparison against
// the last frame's floats that lets the page skip the upload.  No layer, no
// GL, no yields: what the browser's wasm needs for the stream itself.
// Prints "web_floor NAME ms_per_frame X" for each program.
#include "crt_rand.h"
#include "height_field.h"
#include "terrain_mesh.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <chrono>
#include <vector>

namespace {

// Writes six floats a vertex; counts the floats that repeat the last frame's.
struct array_sink {
    float* floats;
    size_t written;
    size_t unchanged;
    void vertex(float red, float green, float blue, float x, float y, float z)
    {
        const float vertex[6] = {red, green, blue, x, y, z};
        float* slot = floats + written;
        written += 6;
        if (unchanged + 6 == written) {
            uint32_t old_bits[6], new_bits[6];
            memcpy(old_bits, slot, sizeof old_bits);
            memcpy(new_bits, vertex, sizeof new_bits);
            uint32_t differ = 0;
            for (int i = 0; i < 6; ++i)
                differ |= old_bits[i] ^ new_bits[i];
            if (differ == 0) {
                unchanged = written;
                return;
            }
        }
        memcpy(slot, vertex, sizeof vertex);
    }
};

void time_program(const char* name, int frames, int warmup, bool print)
{
    const variant_params& params = *find_variant_params(name);
    const size_t n = static_cast<size_t>(params.grid_size);
    std::vector<float> cells(n * n);
    crt_srand(1);  // the viewers draw the never-seeded sequence
    height_field field = build_height_field(params, cells.data(), crt_rand);
    std::vector<float> floats((n - 1) * (n - 1) * 36);
    size_t unchanged = 0;
    using clock = std::chrono::steady_clock;
    clock::time_point start;
    for (int frame = 0; frame < warmup + frames; ++frame) {
        if (frame == warmup)
            start = clock::now();
        array_sink sink = {floats.data(), 0, 0};
        emit_terrain_vertices(field, params, sink);
        unchanged += sink.unchanged;
    }
    const double ms = std::chrono::duration<double, std::milli>(clock::now() - start).count() / frames;
    if (print)
        printf("web_floor %s ms_per_frame %.3f (%zu floats repeated)\n", name, ms, unchanged);
}

}  // namespace

int main()
{
    // NOTE: the first round runs while the browser's optimising compiler is
    // still at work on the wasm (it starts with a quick baseline); the
    // second is timed, as the pages are after their warm-up frames.
    for (int round = 0; round < 2; ++round) {
        time_program("terrain320", 40, 10, round == 1);
        time_program("terrain128", 150, 10, round == 1);
        time_program("terrain32", 300, 20, round == 1);
    }
    return 0;
}
