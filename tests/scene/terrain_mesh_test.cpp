#include "crt_rand.h"
#include "gl_recorder.h"
#include "terrain_mesh.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct mesh_vertex {
    float r, g, b, x, y, z;
};

struct collecting_sink {
    std::vector<mesh_vertex> vertices;
    void vertex(float r, float g, float b, float x, float y, float z)
    {
        vertices.push_back({r, g, b, x, y, z});
    }
};

// A viewer's own terrain, drawn from the unseeded generator.
struct built_terrain {
    std::vector<float> cells;
    height_field field;

    explicit built_terrain(const variant_params& params)
        : cells(params.grid_size * params.grid_size)
    {
        crt_srand(1);
        field = build_height_field(params, cells.data(), crt_rand);
    }
    ~built_terrain() { release_height_field(field); }
};

// A flat contiguous field of one height everywhere.
height_field flat_field(std::vector<float>& cells, int n, float height)
{
    cells.assign(n * n, height);
    return height_field{contiguous, n, nullptr, cells.data()};
}

std::vector<mesh_vertex> mesh_of(const height_field& field, const variant_params& params)
{
    collecting_sink sink;
    emit_terrain_vertices(field, params, sink);
    return sink.vertices;
}

// The colour formulas as written, each division where it stands, to hold the
// emitter's hoisted arithmetic to the same bits.
mesh_vertex literal_vertex(const height_field& field, const variant_params& params, int a, int b, int dx, int dz)
{
    const double n = static_cast<float>(params.grid_size);
    const double s = params.height_scale;
    const float h = height_at(field, a + dx, b + dz);
    return mesh_vertex{
        static_cast<float>(((a / n) * h) / s),
        static_cast<float>(((1.0 - b / n) * h) / s),
        static_cast<float>(0.5 - ((h / s) / 2.0)),
        static_cast<float>(a + dx), h, static_cast<float>(b + dz),
    };
}

bool same_bits(const mesh_vertex& left, const mesh_vertex& right)
{
    return std::memcmp(&left, &right, sizeof left) == 0;
}

const variant_params* const all_programs[] = {&terrain320_params, &terrain128_params, &terrain32_params};

}  // namespace

TEST(terrain_mesh, emits_six_vertices_per_cell_in_cell_and_corner_order_bit_for_bit)
{
    const int corners[6][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}, {1, 0}};
    for (const variant_params* params : all_programs) {
        built_terrain terrain(*params);
        const std::vector<mesh_vertex> mesh = mesh_of(terrain.field, *params);
        const int n = params->grid_size;
        ASSERT_EQ(mesh.size(), size_t(6) * (n - 1) * (n - 1)) << params->program_name;
        size_t i = 0;
        for (int a = 0; a < n - 1; ++a)
            for (int b = 0; b < n - 1; ++b)
                for (const auto& corner : corners) {
                    const mesh_vertex expected = literal_vertex(terrain.field, *params, a, b, corner[0], corner[1]);
                    ASSERT_TRUE(same_bits(mesh[i], expected))
                        << params->program_name << " cell " << a << "," << b << " vertex " << i % 6;
                    ++i;
                }
    }
}

TEST(terrain_mesh, counts_first_and_last_vertex_match_the_worked_examples)
{
    const size_t counts[] = {610566, 96774, 5766};
    for (int p = 0; p < 3; ++p) {
        const variant_params& params = *all_programs[p];
        built_terrain terrain(params);
        const std::vector<mesh_vertex> mesh = mesh_of(terrain.field, params);
        const int n = params.grid_size;
        ASSERT_EQ(mesh.size(), counts[p]);
        EXPECT_EQ(mesh.front().x, 0.0f);
        EXPECT_EQ(mesh.front().y, height_at(terrain.field, 0, 0));
        EXPECT_EQ(mesh.front().z, 0.0f);
        EXPECT_EQ(mesh.back().x, float(n - 1));
        EXPECT_EQ(mesh.back().y, height_at(terrain.field, n - 1, n - 2));
        EXPECT_EQ(mesh.back().z, float(n - 2));
    }
}

TEST(terrain_mesh, colours_use_the_cells_indices_for_all_six_vertices)
{
    // terrain320, cell (10, 20), every corner of height 1.0.
    std::vector<float> cells;
    const height_field field = flat_field(cells, 320, 1.0f);
    const std::vector<mesh_vertex> mesh = mesh_of(field, terrain320_params);
    const size_t first = 6 * (size_t(10) * 319 + 20);
    for (size_t i = first; i < first + 6; ++i) {
        EXPECT_EQ(mesh[i].r, 0.015625f);
        EXPECT_EQ(mesh[i].g, 0.46875f);
        EXPECT_EQ(mesh[i].b, 0.25f);
    }
    EXPECT_EQ(mesh[first + 3].x, 11.0f);  // the far corner (11, 21) keeps the cell's colour
    EXPECT_EQ(mesh[first + 3].z, 21.0f);
}

TEST(terrain_mesh, lowest_and_highest_ground_get_their_fixed_colours)
{
    for (const variant_params* params : all_programs) {
        const int n = params->grid_size;
        std::vector<float> cells;
        const height_field low = flat_field(cells, n, 0.0f);
        for (const mesh_vertex& v : mesh_of(low, *params)) {
            ASSERT_EQ(v.r, 0.0f);
            ASSERT_EQ(v.g, 0.0f);
            ASSERT_EQ(v.b, 0.5f);
        }
        const height_field high = flat_field(cells, n, params->height_scale);
        const std::vector<mesh_vertex> mesh = mesh_of(high, *params);
        for (size_t i = 0; i < mesh.size(); ++i) {
            const int a = int(i / 6) / (n - 1), b = int(i / 6) % (n - 1);
            ASSERT_EQ(mesh[i].r, static_cast<float>(double(a) / n));
            ASSERT_EQ(mesh[i].g, static_cast<float>(1.0 - double(b) / n));
            ASSERT_EQ(mesh[i].b, 0.0f);
        }
        EXPECT_EQ(mesh.back().r, static_cast<float>(double(n - 2) / n)) << "the largest red";
        EXPECT_EQ(mesh.front().g, 1.0f) << "green reaches 1 at b = 0";
    }
}

TEST(terrain_mesh, colours_stay_in_range_and_do_not_depend_on_the_height_scale)
{
    for (const variant_params* params : all_programs) {
        built_terrain terrain(*params);
        const int n = params->grid_size;
        const float largest_red = static_cast<float>(double(n - 2) / n);
        for (const mesh_vertex& v : mesh_of(terrain.field, *params)) {
            ASSERT_GE(v.r, 0.0f);
            ASSERT_LE(v.r, largest_red);
            ASSERT_GE(v.g, 0.0f);
            ASSERT_LE(v.g, 1.0f);
            ASSERT_GE(v.b, 0.0f);
            ASSERT_LE(v.b, 0.5f);
        }
    }
    // The same relative height gives the same colour at S = 2 and S = 4.
    std::vector<float> half_of_two, half_of_four;
    variant_params s2 = terrain128_params;
    s2.height_scale = 2.0f;
    const std::vector<mesh_vertex> at_s2 = mesh_of(flat_field(half_of_two, 128, 1.0f), s2);
    const std::vector<mesh_vertex> at_s4 = mesh_of(flat_field(half_of_four, 128, 2.0f), terrain128_params);
    for (size_t i = 0; i < at_s2.size(); ++i) {
        ASSERT_EQ(at_s2[i].r, at_s4[i].r);
        ASSERT_EQ(at_s2[i].g, at_s4[i].g);
        ASSERT_EQ(at_s2[i].b, at_s4[i].b);
    }
}

// Fingerprints of each program's whole frame: the FNV-1a 64 hash of the raw
// little-endian bytes of R, G, B, X, Y, Z of every vertex in emission order,
// over the terrain drawn from the unseeded generator.  Produced once with
// `scene_probe NAME 0` (its stream_fnv1a64 line) and checked against the
// literal formulas above; any change of order, rounding or generator shows.
TEST(terrain_mesh, whole_frame_streams_match_their_golden_fingerprints)
{
    const std::uint64_t golden[] = {0x948911fd17593b08ull, 0x8188838c83118635ull, 0x65689cd0aecd7ebfull};
    for (int p = 0; p < 3; ++p) {
        built_terrain terrain(*all_programs[p]);
        fingerprint_sink sink;
        emit_terrain_vertices(terrain.field, *all_programs[p], sink);
        EXPECT_EQ(sink.hash.value, golden[p]) << all_programs[p]->program_name << std::hex << " got 0x" << sink.hash.value;
    }
}

TEST(terrain_mesh, gl_receives_one_triangle_batch_of_colour_then_vertex_pairs)
{
    for (const variant_params* params : all_programs) {
        built_terrain terrain(*params);
        fingerprint_sink expected;
        emit_terrain_vertices(terrain.field, *params, expected);

        reset_gl_record();
        emit_terrain_mesh(terrain.field, *params);
        const gl_record& gl = recorded_gl();
        ASSERT_EQ(recorded_gl_names(), (std::vector<std::string>{"glBegin", "glEnd"}));
        EXPECT_EQ(gl.calls[0].args[0], double(GL_TRIANGLES));
        EXPECT_EQ(gl.vertex_calls, expected.vertices);
        EXPECT_EQ(gl.colour_calls, expected.vertices);
        EXPECT_EQ(gl.unpaired_vertices, 0);
        EXPECT_EQ(gl.vertices_outside_batch, 0);
        EXPECT_EQ(gl.stream.hash.value, expected.hash.value) << params->program_name;
    }
}
