#include "exact_trig.h"
#include "orbit_camera.h"
#include "variant_params.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

std::uint64_t bits_of(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::uint32_t bits_of(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

struct reference {
    const char* what;
    double x;
    std::uint64_t sin_bits;
    std::uint64_t cos_bits;
};

// Correctly rounded values, each from `tools/trig_reference.py values X`
// (integer arithmetic with 600 fraction bits, checked to round the same way
// at both ends of its error bound).
const reference references[] = {
    {"zero", 0.0, 0x0000000000000000, 0x3ff0000000000000},
    {"tiny: sin x = x, cos x = 1", 0x1p-30, 0x3e10000000000000, 0x3ff0000000000000},
    {"just big enough that cos x < 1", 0x1.8p-27, 0x3e48000000000000, 0x3fefffffffffffff},
    {"the double just below pi/4", 0x1.921fb54442d18p-1, 0x3fe6a09e667f3bcc, 0x3fe6a09e667f3bcd},
    {"the double just above pi/4", 0x1.921fb54442d19p-1, 0x3fe6a09e667f3bcd, 0x3fe6a09e667f3bcc},
    {"one", 1.0, 0x3feaed548f090cee, 0x3fe14a280fb5068c},
    {"50/32, near pi/2", 50.0 / 32, 0x3fefffb7d3f3a253, 0x3f80fd9d5c093df5},
    {"101/32, near pi", 101.0 / 32, 0xbf8e04654b27e08a, 0xbfefff1ebaf2da3f},
    // The m/32 (m <= 2^25) nearest to multiples of pi/2: 2^-24.8, 2^-24.0
    // and 2^-23.8 away (tools/trig_reference.py hardest).
    {"8545886/32, 170015 pi/2 - 2^-24.8", 8545886.0 / 32, 0xbfeffffffffffffb, 0xbe6270da18b198e7},
    {"30535979/32, near 607494 pi/2", 30535979.0 / 32, 0xbe7064eb09d80e79, 0xbfefffffffffffef},
    {"17091772/32, near 340030 pi/2", 17091772.0 / 32, 0x3e7270da18b198e4, 0xbfefffffffffffeb},
    // The doubles below 2^30 nearest to a multiple of pi/2 lie 2^-60.5 from
    // 29 pi/2; in the top binade, 2^-53 from 589201344 pi/2.
    {"the double nearest 29 pi/2", 0x1.6c6cbc45dc8dep+5, 0x3ff0000000000000, 0xbc26d61b58c99c43},
    {"the double nearest 589201344 pi/2", 0x1.b951f1572eba5p+29, 0xbc9f54f5227a4e84, 0x3ff0000000000000},
    {"2^20, the camera's largest angle", 0x1p20, 0x3fd526ccb2fc8656, 0x3fee33ada92fe2ae},
    {"2^29", 0x1p29, 0x3fd4e67c0e2622de, 0xbfee3edd2dfeef90},
    {"2^30, the limit", 0x1p30, 0xbfe3c12353728caf, 0x3fe92cb46a920144},
    // Orbit angles where MinGW-w64's sin or cos moved the eye by a float ulp.
    {"terrain320 frame 14290857", 14290857.0 / 16, 0xbfef4d7ee84b572b, 0x3fca933c15974bbf},
    {"terrain320 frame 16757180", 16757180.0 / 16, 0xbfefff755d2abd5a, 0x3f878c6243ba38e2},
    {"terrain128 frame 6268106", 6268106.0 / 32, 0x3f859a711f12e131, 0x3fefff8b523c6f25},
    {"terrain128 frame 14502949", 14502949.0 / 32, 0xbfefffeb0f30674d, 0x3f724de97d56123e},
    {"terrain32 frame 7293798", 7293798.0 / 16, 0xbfeffffae76be005, 0x3f620f3910477f26},
    {"terrain32 frame 7406845", 7406845.0 / 16, 0x3feffffb0c01013c, 0x3f61cdf0cfcc31d6},
    {"terrain32 frame 14794740", 14794740.0 / 16, 0x3f51c0fc0d1fe08e, 0x3feffffec4cd0526},
};

}  // namespace

// Each reference also checks -x: sin is odd and cos even, to the bit.
TEST(exact_trig, gives_the_correctly_rounded_value_at_every_reference)
{
    for (const reference& r : references) {
        const double sin_value = exact_sin(r.x);
        const double cos_value = exact_cos(r.x);
        EXPECT_EQ(bits_of(sin_value), r.sin_bits) << "sin " << r.what << " = " << sin_value;
        EXPECT_EQ(bits_of(cos_value), r.cos_bits) << "cos " << r.what << " = " << cos_value;
        EXPECT_EQ(bits_of(exact_sin(-r.x)), bits_of(-sin_value)) << "sin -(" << r.what << ")";
        EXPECT_EQ(bits_of(exact_cos(-r.x)), r.cos_bits) << "cos -(" << r.what << ")";
    }
}

TEST(exact_trig, gives_nan_for_non_finite_and_too_large_arguments)
{
    const double beyond = std::nextafter(exact_trig_limit, 2 * exact_trig_limit);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double x : {nan, inf, -inf, beyond, -beyond, 1e300}) {
        EXPECT_TRUE(std::isnan(exact_sin(x))) << x;
        EXPECT_TRUE(std::isnan(exact_cos(x))) << x;
    }
    EXPECT_TRUE(std::signbit(exact_sin(-0.0)));
}

// The frames named above, through the camera: the float32 eye coordinate the
// other platform's C library got wrong, as glibc (correctly) gives it.
TEST(exact_trig, eye_stands_where_glibc_puts_it_at_the_frames_mingw_moved)
{
    struct frame { long long k; char axis; std::uint32_t bits; };
    struct program { const variant_params* params; std::vector<frame> frames; };
    const program programs[] = {
        {&terrain320_params, {{14290857, 'z', 0xc5293823}, {16757180, 'z', 0xc1da5280}}},
        {&terrain128_params, {{6268106, 'x', 0x398e0b59}, {14502949, 'z', 0x3be8ce04}}},
        {&terrain32_params, {{7293798, 'z', 0x3a047da9}, {7406845, 'z', 0xb8ac743d}, {14794740, 'x', 0x3ae3e95b}}},
    };
    for (const program& p : programs) {
        camera_state camera = start_camera(*p.params);
        long long k = 0;
        for (const frame& f : p.frames) {
            for (; k < f.k; ++k)
                advance_camera(camera, *p.params);
            place_eye(camera, *p.params);
            EXPECT_EQ(bits_of(f.axis == 'x' ? eye_x : eye_z), f.bits)
                << p.params->program_name << " frame " << f.k << " eye " << f.axis;
        }
    }
}

#ifdef __GLIBC__
namespace {

// How many doubles lie between a and b, for finite a and b of the same sign.
std::uint64_t ulps_apart(double a, double b)
{
    const std::uint64_t x = bits_of(a) & ~(1ull << 63), y = bits_of(b) & ~(1ull << 63);
    return x > y ? x - y : y - x;
}

}  // namespace

// glibc's sin and cos are within an ulp but not always correctly rounded:
// at 0.28% of all the camera's angles m/32 (m <= 2^25) sin or cos is the
// other neighbour (every such difference was checked with
// tools/trig_reference.py: exact_sin and exact_cos were right), and 0.14% of
// the values in this sample differ.  So agreement
// is asked within one ulp everywhere and exactly almost everywhere: a wrong
// reduction breaks the first, and a last-bit fault such as a coefficient
// missing its low half (0.73% here) the second.
TEST(exact_trig, agrees_with_glibc_over_the_camera_angles)
{
    std::mt19937_64 random(20240601);
    std::uniform_int_distribution<long long> any_m(0, 1ll << 25);
    long long arguments = 0, differences = 0;
    for (long long i = 0; i < (2ll << 20); ++i) {
        // Every m/32 below 2^15 radians, then m/32 drawn up to 2^20.
        const double x = static_cast<double>(i < (1ll << 20) ? i : any_m(random)) / 32;
        for (const auto& [exact, c_library] : {std::pair{exact_sin(x), std::sin(x)},
                                               std::pair{exact_cos(x), std::cos(x)}}) {
            ++arguments;
            if (exact == c_library)
                continue;
            ++differences;
            ASSERT_LE(ulps_apart(exact, c_library), 1u) << "x = " << x << ": " << exact << " vs " << c_library;
            ASSERT_EQ(std::signbit(exact), std::signbit(c_library)) << "x = " << x;
        }
    }
    EXPECT_LT(differences, arguments * 3 / 1000) << differences << " of " << arguments << " differ";
}
#endif
