// Frames 0 and 150 of every viewer, drawn by frame_capture, against the
// pictures kept in tests/golden/ (tools/update_goldens.sh remakes them on
// purpose), and checks that the tolerance is neither too loose nor too tight.
#include "picture_support.h"
#include "render_context.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <sys/stat.h>

namespace {

struct golden_case {
    const char* program;
    int frame;
};

void PrintTo(const golden_case& c, std::ostream* out)
{
    *out << c.program << " frame " << c.frame;
}

std::string golden_path(const std::string& program, int frame)
{
    return std::string(GOLDEN_DIR) + "/" + program + "_" + std::to_string(frame) + ".png";
}

rgb_image read_or_fail(const std::string& path)
{
    rgb_image image;
    const std::string problem = read_png_file(path, &image);
    EXPECT_EQ(problem, "");
    return image;
}

rgb_image capture_or_fail(const scratch_directory& scratch, const std::string& program, int frame)
{
    const std::string out = scratch.file(program + "_" + std::to_string(frame) + ".png");
    EXPECT_EQ(capture_frame(program, frame, out), "");
    return read_or_fail(out);
}

class golden : public ::testing::TestWithParam<golden_case> {};

TEST_P(golden, capture_matches_the_stored_picture)
{
    const golden_case& c = GetParam();
    scratch_directory scratch;
    const rgb_image expected = read_or_fail(golden_path(c.program, c.frame));
    const rgb_image actual = capture_or_fail(scratch, c.program, c.frame);
    ASSERT_EQ(actual.width, viewport_width);
    ASSERT_EQ(actual.height, viewport_height);
    ASSERT_EQ(expected.width, viewport_width);
    ASSERT_EQ(expected.height, viewport_height);

    const long differing = count_differing_pixels(actual, expected);
    if (!pictures_match(actual, expected)) {
        // Kept for a look: the build tree's golden_mismatches/.
        const std::string kept = std::string(MISMATCH_DIR) + "/" + c.program + "_" + std::to_string(c.frame) + ".png";
        mkdir(MISMATCH_DIR, 0777);
        write_png_file(kept, actual);
        ADD_FAILURE() << differing << " of 307200 pixels differ by more than " << tolerated_levels
                      << " levels; the capture is in " << kept;
    }
}

INSTANTIATE_TEST_SUITE_P(viewers, golden,
                         ::testing::Values(golden_case{"terrain320", 0}, golden_case{"terrain320", 150},
                                           golden_case{"terrain128", 0}, golden_case{"terrain128", 150},
                                           golden_case{"terrain32", 0}, golden_case{"terrain32", 150}),
                         [](const ::testing::TestParamInfo<golden_case>& info) {
                             return std::string(info.param.program) + "_frame_" + std::to_string(info.param.frame);
                         });

// The faults the goldens are there to catch, made on purpose from one of
// them, and the differences they must let through.
class golden_tolerance : public ::testing::Test {
protected:
    void SetUp() override { expected = read_or_fail(golden_path("terrain32", 0)); }
    rgb_image expected;
};

TEST_F(golden_tolerance, lets_through_small_rasteriser_differences)
{
    // Every channel off by up to 8 levels, and 0.4% of the pixels (edges
    // rounded the other way) entirely different.
    rgb_image nearly = expected;
    for (size_t i = 0; i < nearly.pixels.size(); ++i) {
        const int moved = nearly.pixels[i] + ((i % 2) ? 8 : -8);
        nearly.pixels[i] = static_cast<unsigned char>(moved < 0 ? 0 : moved > 255 ? 255 : moved);
    }
    for (size_t pixel = 0; pixel < 307200; pixel += 250)
        nearly.pixels[pixel * 3] ^= 0xFF;
    EXPECT_TRUE(pictures_match(nearly, expected));
}

TEST_F(golden_tolerance, catches_the_camera_one_step_off)
{
    scratch_directory scratch;
    EXPECT_FALSE(pictures_match(capture_or_fail(scratch, "terrain32", 1), expected));
}

TEST_F(golden_tolerance, catches_swapped_colour_channels)
{
    rgb_image swapped = expected;
    for (size_t i = 0; i < swapped.pixels.size(); i += 3)
        std::swap(swapped.pixels[i], swapped.pixels[i + 2]);
    EXPECT_FALSE(pictures_match(swapped, expected));
}

TEST_F(golden_tolerance, catches_a_mirrored_projection)
{
    rgb_image mirrored = expected;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            for (int channel = 0; channel < 3; ++channel)
                mirrored.pixels[(static_cast<size_t>(y) * expected.width + x) * 3 + channel] =
                    expected.pixel(expected.width - 1 - x, y)[channel];
    EXPECT_FALSE(pictures_match(mirrored, expected));
}

}  // namespace
