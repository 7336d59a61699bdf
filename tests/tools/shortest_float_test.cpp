// scene_probe's float text against the C++ library's own std::to_chars, where
// the library has it: the desktop and Windows builds.  The browser build's
// probe prints the same text through the same function, so the three agree.
#include "shortest_float.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string library_text(float value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

TEST(shortest_float, writes_what_to_chars_writes)
{
    // Whole numbers past the shortest digits, powers of two (whose lower
    // neighbour is nearer), the smallest and largest, and random bit patterns.
    std::vector<float> values = {0.0f, -0.0f, 1.0f, 0.1f, 388.5f, 1e10f, 3.4028235e38f, 1.4e-45f, 1.2e-38f,
                                 240823472.0f, -3349592408064.0f, 16777216.0f, 16777218.0f};
    for (int exponent = -149; exponent <= 127; ++exponent) {
        const float power = std::ldexp(1.0f, exponent);
        values.insert(values.end(), {power, std::nextafter(power, 0.0f), std::nextafter(power, INFINITY)});
    }
    std::mt19937 generator(2026);
    while (values.size() < 100000) {
        const std::uint32_t bits = generator();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            values.push_back(value);
    }
    for (float value : values)
        ASSERT_EQ(shortest_float_text(value), library_text(value)) << std::hexfloat << value;
}

}  // namespace
