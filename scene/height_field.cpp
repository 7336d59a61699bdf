#include "height_field.h"

#include <new>

// The float32 nearest S * r / divisor.  r * S is exact in double (S is a
// small power of two in every program) and the quotient is rounded once, when
// stored, so r = 0 gives 0 and r = 32767 gives exactly S.
static float height_from_random(int r, const variant_params& params)
{
    return static_cast<float>(static_cast<double>(r) * static_cast<double>(params.height_scale) /
                              static_cast<double>(params.random_divisor));
}

height_field build_height_field(const variant_params& params, float* contiguous_cells,
                                random_source next_random)
{
    const int n = params.grid_size;
    height_field field = {params.grid_storage, n, nullptr, nullptr};
    if (field.storage == row_table)
        field.rows = new float*[n];
    else
        field.cells = contiguous_cells;

    // Each height takes the next number of the one sequence, so the order of
    // these loops is the terrain.  Rows are allocated just before they are
    // filled, alternating allocation and filling as the viewers always have.
    int rows_made = 0;
    try {
        for (int x = 0; x < n; ++x) {
            float* row;
            if (field.storage == row_table) {
                row = new float[n];
                field.rows[x] = row;
                rows_made = x + 1;
            } else {
                row = field.cells + x * n;
            }
            for (int z = 0; z < n; ++z)
                row[z] = height_from_random(next_random(), params);
        }
    } catch (const std::bad_alloc&) {
        // Give back the rows already made and the table before passing the
        // failure on: the caller has no field to release.
        for (int x = 0; x < rows_made; ++x)
            delete[] field.rows[x];
        delete[] field.rows;
        throw;
    }
    return field;
}

void release_height_field(height_field& field)
{
    if (field.storage != row_table)
        return;
    for (int x = 0; x < field.size; ++x)
        delete[] field.rows[x];
    delete[] field.rows;
    field.rows = nullptr;
}
