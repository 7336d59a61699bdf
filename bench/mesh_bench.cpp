// Cost of producing one frame's vertex stream, per program, in nanoseconds
// per vertex.  The sink hands every value to the optimiser as used and does
// nothing else, so what is measured is the emitter's own arithmetic.

#include "crt_rand.h"
#include "height_field.h"
#include "terrain_mesh.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct consuming_sink {
    void vertex(float red, float green, float blue, float x, float y, float z)
    {
        benchmark::DoNotOptimize(red);
        benchmark::DoNotOptimize(green);
        benchmark::DoNotOptimize(blue);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
        benchmark::DoNotOptimize(z);
    }
};

void mesh_stream(benchmark::State& state, const variant_params* params)
{
    std::vector<float> cells(params->grid_size * params->grid_size);
    crt_srand(1);
    height_field field = build_height_field(*params, cells.data(), crt_rand);
    consuming_sink sink;
    for (auto _ : state)
        emit_terrain_vertices(field, *params, sink);
    // Vertices per iteration, scaled so the inverted rate reads in ns per vertex.
    const double vertices = 6.0 * (params->grid_size - 1) * (params->grid_size - 1);
    state.counters["ns_per_vertex"] = benchmark::Counter(
        vertices * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    release_height_field(field);
}

// The start-up's own share: drawing the heights (and, for row_table, making
// the rows), then freeing them, in microseconds per field.
void height_field_build(benchmark::State& state, const variant_params* params)
{
    std::vector<float> cells(params->grid_size * params->grid_size);
    for (auto _ : state) {
        crt_srand(1);
        height_field field = build_height_field(*params, cells.data(), crt_rand);
        benchmark::DoNotOptimize(field.rows);
        benchmark::ClobberMemory();
        release_height_field(field);
    }
}

}  // namespace

BENCHMARK_CAPTURE(height_field_build, terrain320, &terrain320_params)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(height_field_build, terrain128, &terrain128_params)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(height_field_build, terrain32, &terrain32_params)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(mesh_stream, terrain320, &terrain320_params)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mesh_stream, terrain128, &terrain128_params)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(mesh_stream, terrain32, &terrain32_params)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
