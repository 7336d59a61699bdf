#include "crt_rand.h"
#include "height_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

// Every allocation and release of arrays, so the tests can see what the
// row-table height field takes from the free store and in which order it
// gives it back.
namespace {
bool tracking = false;
std::vector<void*> allocated;
std::vector<void*> freed;
// While tracking, the allocation with this index (from 0) fails; -1: none.
int failing_allocation = -1;
}  // namespace

void* operator new[](std::size_t size)
{
    if (tracking && static_cast<int>(allocated.size()) == failing_allocation)
        throw std::bad_alloc();
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    if (tracking)
        allocated.push_back(block);
    return block;
}

void operator delete[](void* block) noexcept
{
    if (tracking && block)
        freed.push_back(block);
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    operator delete[](block);
}

namespace {

int fixed_value;
int fixed_random() { return fixed_value; }

long long calls;
int counting_random()
{
    return static_cast<int>(calls++ % 32768);
}

// The height a one-cell field gets from the random value r.
float single_height(int r, const variant_params& params)
{
    variant_params one = params;
    one.grid_size = 1;
    one.grid_storage = contiguous;
    fixed_value = r;
    float cell;
    build_height_field(one, &cell, fixed_random);
    return cell;
}

std::uint32_t bits_of(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

}  // namespace

TEST(height_field, every_random_value_gives_the_correctly_rounded_height)
{
    for (const variant_params* params : {&terrain32_params, &terrain128_params}) {
        for (int r = 0; r <= 32767; ++r) {
            const float cell = single_height(r, *params);
            ASSERT_EQ(cell, static_cast<float>(double(r) * params->height_scale / 32767.0)) << "r = " << r;
            ASSERT_GE(cell, 0.0f);
            ASSERT_LE(cell, params->height_scale);
        }
    }
    // The worked values: S = 2 (terrain320, terrain32) and S = 4 (terrain128).
    EXPECT_EQ(bits_of(single_height(0, terrain32_params)), bits_of(0.0f));
    EXPECT_EQ(single_height(32767, terrain32_params), 2.0f);
    EXPECT_EQ(single_height(16384, terrain32_params), 1.000030517578125f);
    EXPECT_EQ(single_height(32767, terrain128_params), 4.0f);
    EXPECT_EQ(single_height(16384, terrain128_params), 2.00006103515625f);
}

TEST(height_field, draws_n_squared_numbers_in_x_then_z_order)
{
    for (const variant_params* params : {&terrain320_params, &terrain128_params, &terrain32_params}) {
        const int n = params->grid_size;
        calls = 0;
        std::vector<float> cells(n * n);
        height_field field = build_height_field(*params, cells.data(), counting_random);
        EXPECT_EQ(calls, static_cast<long long>(n) * n) << params->program_name;
        for (int x = 0; x < n; ++x)
            for (int z = 0; z < n; ++z) {
                fixed_value = (x * n + z) % 32768;
                const float expected = static_cast<float>(double(fixed_value) * params->height_scale / 32767.0);
                ASSERT_EQ(height_at(field, x, z), expected) << params->program_name << " " << x << "," << z;
            }
        release_height_field(field);
    }
}

TEST(height_field, row_table_takes_n_plus_one_blocks_and_frees_rows_in_order_then_the_table)
{
    for (const variant_params* params : {&terrain320_params, &terrain128_params}) {
        const int n = params->grid_size;
        allocated.clear();
        freed.clear();
        tracking = true;
        height_field field = build_height_field(*params, nullptr, crt_rand);
        const std::vector<void*> taken = allocated;
        // The table first, then each row in turn.
        ASSERT_EQ(taken.size(), static_cast<size_t>(n + 1)) << params->program_name;
        EXPECT_EQ(taken[0], static_cast<void*>(field.rows));
        for (int x = 0; x < n; ++x)
            EXPECT_EQ(taken[x + 1], static_cast<void*>(field.rows[x])) << "row " << x;

        release_height_field(field);
        tracking = false;
        ASSERT_EQ(freed.size(), static_cast<size_t>(n + 1));
        for (int x = 0; x < n; ++x)
            EXPECT_EQ(freed[x], taken[x + 1]) << "row " << x;
        EXPECT_EQ(freed[n], taken[0]) << "the table is freed last";
    }
}

TEST(height_field, a_failed_allocation_gives_back_every_block_already_taken)
{
    // The table, the first row, a middle row and the last row.
    for (int failing : {0, 1, 160, 320}) {
        allocated.clear();
        freed.clear();
        failing_allocation = failing;
        tracking = true;
        EXPECT_THROW(build_height_field(terrain320_params, nullptr, crt_rand), std::bad_alloc);
        tracking = false;
        failing_allocation = -1;
        ASSERT_EQ(allocated.size(), static_cast<size_t>(failing)) << "allocation " << failing;
        std::vector<void*> taken = allocated, given_back = freed;
        std::sort(taken.begin(), taken.end());
        std::sort(given_back.begin(), given_back.end());
        EXPECT_EQ(given_back, taken) << "allocation " << failing;
    }
}

TEST(height_field, contiguous_storage_fills_the_callers_array_and_allocates_nothing)
{
    float cells[32 * 32];
    allocated.clear();
    freed.clear();
    tracking = true;
    crt_srand(1);
    height_field field = build_height_field(terrain32_params, cells, crt_rand);
    release_height_field(field);
    tracking = false;
    EXPECT_TRUE(allocated.empty());
    EXPECT_TRUE(freed.empty());

    crt_srand(1);
    for (int x = 0; x < 32; ++x)
        for (int z = 0; z < 32; ++z) {
            EXPECT_EQ(&height_row(field, x)[z], &cells[x * 32 + z]);
            EXPECT_EQ(cells[x * 32 + z], static_cast<float>(double(crt_rand()) * 2.0 / 32767.0));
        }
}

namespace {
std::vector<size_t> blocks_at_each_draw;
int block_counting_random()
{
    blocks_at_each_draw.push_back(allocated.size());
    return 7;
}
}  // namespace

TEST(height_field, allocates_each_row_just_before_filling_it)
{
    allocated.clear();
    blocks_at_each_draw.clear();
    tracking = true;
    height_field field = build_height_field(terrain128_params, nullptr, block_counting_random);
    tracking = false;
    release_height_field(field);
    // While row x is drawn, the table and rows 0..x exist: x + 2 blocks.
    ASSERT_EQ(blocks_at_each_draw.size(), 128u * 128u);
    for (int x = 0; x < 128; ++x)
        ASSERT_EQ(blocks_at_each_draw[x * 128], static_cast<size_t>(x + 2)) << "row " << x;
}
