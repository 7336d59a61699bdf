// The floor under a page's work per frame (bench/web_bench.sh): in a bare
// page, the same vertex stream as the viewers' mesh, computed from the same
// heights each frame and written into one array, with the comparison against
// the last frame's floats that lets the page skip the upload.  No layer, no
// GL, no yields: what the browser's wasm needs for the stream itself.
// Prints "web_floor NAME ms_per_frame X" for each program.
//
// With ?per_frame=NAME it is instead the least a page that draws does: the
// same stream once per animation frame and one WebGL clear, counting frames
// in window.viewer.frame as the viewers' pages do, so that the browser's
// script time for it can be read beside theirs.
#include "crt_rand.h"
#include "height_field.h"
#include "terrain_mesh.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <chrono>
#include <vector>

#include <GLES2/gl2.h>
#include <emscripten.h>
#include <emscripten/html5.h>

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

void time_program(const char* name, int frames)
{
    const variant_params& params = *find_variant_params(name);
    const size_t n = static_cast<size_t>(params.grid_size);
    std::vector<float> cells(n * n);
    crt_srand(1);  // the viewers draw the never-seeded sequence
    height_field field = build_height_field(params, cells.data(), crt_rand);
    std::vector<float> floats((n - 1) * (n - 1) * 36);
    size_t unchanged = 0;
    const auto frame = [&] {
        array_sink sink = {floats.data(), 0, 0};
        emit_terrain_vertices(field, params, sink);
        unchanged += sink.unchanged;
    };
    using clock = std::chrono::steady_clock;
    using ms = std::chrono::duration<double, std::milli>;
    // NOTE: the browser starts with a quick baseline compile of the wasm and
    // swaps in optimised code later, sooner or later on a loaded machine: a
    // second of frames first, then the median of three timed spans.
    for (const clock::time_point warm = clock::now(); ms(clock::now() - warm).count() < 1000;)
        frame();
    double spans[3];
    for (double& span : spans) {
        const clock::time_point start = clock::now();
        for (int i = 0; i < frames; ++i)
            frame();
        span = ms(clock::now() - start).count() / frames;
    }
    const double low = spans[0] < spans[1] ? spans[0] : spans[1], high = spans[0] < spans[1] ? spans[1] : spans[0];
    const double median = spans[2] < low ? low : spans[2] > high ? high : spans[2];
    printf("web_floor %s ms_per_frame %.3f (%zu floats repeated)\n", name, median, unchanged);
}

struct per_frame_run {
    height_field field;
    const variant_params* params;
    std::vector<float> floats;
    int frame;
};

EM_JS(void, floor_page_frame_drawn, (int frame), { window.viewer.frame = frame; });

EM_JS(void, floor_page_start, (), { window.viewer = {frame: -1, workMs: 0}; });

// The program named in ?per_frame= (at most `size` bytes), or "".
EM_JS(void, floor_page_program, (char* name, int size), {
    stringToUTF8(new URLSearchParams(location.search).get("per_frame") || "", name, size);
});

EM_BOOL draw_one_frame(double, void* data)
{
    per_frame_run& run = *static_cast<per_frame_run*>(data);
    array_sink sink = {run.floats.data(), 0, 0};
    emit_terrain_vertices(run.field, *run.params, sink);
    glClear(GL_COLOR_BUFFER_BIT);
    floor_page_frame_drawn(run.frame++);
    return EM_TRUE;
}

// The program named in ?per_frame=, if any.
const variant_params* per_frame_params()
{
    char name[32] = "";
    floor_page_program(name, sizeof name);
    return name[0] ? find_variant_params(name) : nullptr;
}

}  // namespace

int main()
{
    if (const variant_params* params = per_frame_params()) {
        const size_t n = static_cast<size_t>(params->grid_size);
        static std::vector<float> cells(n * n);
        crt_srand(1);
        static per_frame_run run = {build_height_field(*params, cells.data(), crt_rand), params,
                                    std::vector<float>((n - 1) * (n - 1) * 36), 0};
        EmscriptenWebGLContextAttributes attributes;
        emscripten_webgl_init_context_attributes(&attributes);
        emscripten_webgl_make_context_current(emscripten_webgl_create_context("#canvas", &attributes));
        floor_page_start();
        emscripten_request_animation_frame_loop(draw_one_frame, &run);
        return 0;
    }
    time_program("terrain320", 40);
    time_program("terrain128", 150);
    time_program("terrain32", 300);
    return 0;
}
