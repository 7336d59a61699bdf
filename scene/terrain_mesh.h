// The terrain mesh: every frame, the whole height field as one batch of
// independent triangles, two per grid cell, each vertex preceded by its own
// colour.
#pragma once

#include "height_field.h"
#include "variant_params.h"

// Sends the whole mesh to GL: glBegin(GL_TRIANGLES), then glColor3f followed
// by glVertex3f for every vertex, then glEnd.  Needs a current context.
void emit_terrain_mesh(const height_field& field, const variant_params& params);

// The colour of a corner of height h in cell (a, b):
//   R = ((a / N) * h) / S     G = ((1 - b / N) * h) / S     B = 0.5 - ((h / S) / 2)
// in double, rounded to float32 once.  The cell's a and b are used for all
// six of its vertices, never the corner's own indices, so a grid point shared
// by neighbouring cells gets a slightly different colour in each.
//
// S is a power of two in every program, so dividing by it is the same, bit
// for bit, as multiplying by its reciprocal, and the reciprocal can be folded
// into the per-cell factors.  That keeps the divisions out of the vertex loop.
struct cell_colour_factors {
    double red;     // (a / N) / S, the same for every cell of column a
    double green;   // (1 - b / N) / S
    double blue;    // 1 / (2 S)
};

// Emits every vertex of the mesh, in order, as
// sink.vertex(R, G, B, X, Y, Z).  The GL emitter and the tests share it, so
// what the tests see is exactly what GL receives.
//
// Cells (a, b) run a = 0..N-2 (outer), b = 0..N-2 (inner); each sends six
// vertices, two triangles sharing the diagonal from (a, b+1) to (a+1, b):
//
//        z=b          z=b+1
//   x=a    1 -------- 2,5
//          |        / |
//          |      /   |        first:  1 (a,b)   2 (a,b+1)   3 (a+1,b)
//          |    /     |        second: 4 (a+1,b+1) 5 (a,b+1) 6 (a+1,b)
//          |  /       |
//   x=a+1 3,6 ------- 4
template <typename Sink>
void emit_terrain_vertices(const height_field& field, const variant_params& params, Sink& sink)
{
    const int n = params.grid_size;
    const double n_float = static_cast<float>(n);  // N enters as the float32 320.0, 128.0, 32.0
    const double inverse_scale = 1.0 / static_cast<double>(params.height_scale);
    cell_colour_factors factors;
    factors.blue = inverse_scale / 2.0;

    for (int a = 0; a < n - 1; ++a) {
        const float* near_row = height_row(field, a);
        const float* far_row = height_row(field, a + 1);
        const float x0 = static_cast<float>(a);
        const float x1 = static_cast<float>(a + 1);
        factors.red = (static_cast<double>(a) / n_float) * inverse_scale;

        for (int b = 0; b < n - 1; ++b) {
            const float z0 = static_cast<float>(b);
            const float z1 = static_cast<float>(b + 1);
            factors.green = (1.0 - static_cast<double>(b) / n_float) * inverse_scale;

            const float h00 = near_row[b], h01 = near_row[b + 1];
            const float h10 = far_row[b], h11 = far_row[b + 1];
            const auto red = [&](float h) { return static_cast<float>(factors.red * h); };
            const auto green = [&](float h) { return static_cast<float>(factors.green * h); };
            const auto blue = [&](float h) { return static_cast<float>(0.5 - h * factors.blue); };

            const float r00 = red(h00), g00 = green(h00), b00 = blue(h00);
            const float r01 = red(h01), g01 = green(h01), b01 = blue(h01);
            const float r10 = red(h10), g10 = green(h10), b10 = blue(h10);
            const float r11 = red(h11), g11 = green(h11), b11 = blue(h11);

            sink.vertex(r00, g00, b00, x0, h00, z0);
            sink.vertex(r01, g01, b01, x0, h01, z1);
            sink.vertex(r10, g10, b10, x1, h10, z0);
            sink.vertex(r11, g11, b11, x1, h11, z1);
            sink.vertex(r01, g01, b01, x0, h01, z1);
            sink.vertex(r10, g10, b10, x1, h10, z0);
        }
    }
}
