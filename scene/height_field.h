// The terrain: an N x N grid of heights in [0, S], drawn once from the
// C runtime's generator and read by every frame's mesh.
#pragma once

#include "variant_params.h"

// N x N float32 heights indexed h[x][z]: x is the grid's first index, z its
// second, exactly as the mesh uses them.
struct height_field {
    grid_storage_kind storage;
    int size;       // N
    float** rows;   // row_table: N separately allocated rows, owned here
    float* cells;   // contiguous: the caller's N*N array, row x at x*N, not owned
};

// The generator the heights are drawn from: one value in 0..32767 per call.
// Production passes the C runtime's rand; tests pass their own.
using random_source = int (*)();

// Allocates (row_table) or fills in place (contiguous: `contiguous_cells`
// must hold N*N floats) the height field of `params`, drawing exactly N*N
// numbers from `next_random` in x-then-z order.  A failed allocation throws
// std::bad_alloc after giving back every block already taken.
height_field build_height_field(const variant_params& params, float* contiguous_cells,
                                random_source next_random);

// Frees rows 0..N-1 in order, then the table; frees nothing for contiguous.
void release_height_field(height_field& field);

// The N heights h[x][0..N-1]; x is not validated.
inline const float* height_row(const height_field& field, int x)
{
    return field.storage == row_table ? field.rows[x] : field.cells + x * field.size;
}

// The stored height h[x][z]; neither index is validated.
inline float height_at(const height_field& field, int x, int z)
{
    return height_row(field, x)[z];
}
