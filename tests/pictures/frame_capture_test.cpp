// frame_capture as a program: what it writes, what it says about wrong
// arguments and unwritable files, and that it never leaves a partial file.
#include "picture_support.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

std::string file_contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary) << contents;
}

int line_count(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(frame_capture, writes_the_whole_viewport_as_an_8_bit_rgb_png)
{
    scratch_directory scratch;
    const std::string out = scratch.file("frame.png");
    const program_run run = run_program({frame_capture_path(), "terrain128", "0", out});
    ASSERT_EQ(run.exit_status, 0) << run.error_output;
    EXPECT_EQ(run.error_output, "");
    EXPECT_EQ(scratch.names(), std::vector<std::string>{"frame.png"});

    // IHDR: width, height, bit depth 8, colour type 2 (RGB).
    const std::string bytes = file_contents(out);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_EQ(bytes.substr(16, 10), std::string("\0\0\x02\x80\0\0\x01\xe0\x08\x02", 10));

    // The terrain fills the middle; the corners, which the viewer's caption
    // and frame hide on screen, are part of the picture and background.
    rgb_image image;
    ASSERT_EQ(read_png_file(out, &image), "");
    const unsigned char* middle = image.pixel(320, 240);
    EXPECT_GT(middle[0] + middle[1] + middle[2], 30);
    for (const auto& corner : {image.pixel(0, 0), image.pixel(639, 0), image.pixel(639, 479)})
        EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
}

TEST(frame_capture, draws_offscreen_whatever_display_it_is_given)
{
    scratch_directory scratch;
    const std::string plain = scratch.file("plain.png");
    const std::string elsewhere = scratch.file("elsewhere.png");
    ASSERT_EQ(capture_frame("terrain32", 40, plain), "");
    run_options display;
    display.environment = {"DISPLAY=:97", "SDL_VIDEODRIVER=x11", "WAYLAND_DISPLAY=wayland-97"};
    const program_run run = run_program({frame_capture_path(), "terrain32", "40", elsewhere}, display);
    ASSERT_EQ(run.exit_status, 0) << run.error_output;

    rgb_image first, second;
    ASSERT_EQ(read_png_file(plain, &first), "");
    ASSERT_EQ(read_png_file(elsewhere, &second), "");
    EXPECT_EQ(count_differing_pixels(first, second, 0), 0) << "the same frame drawn twice differs";
}

TEST(frame_capture, replaces_an_existing_file_whole)
{
    scratch_directory scratch;
    const std::string out = scratch.file("frame.png");
    write_file(out, std::string(2000000, 'x'));
    ASSERT_EQ(capture_frame("terrain32", 0, out), "");
    rgb_image image;
    EXPECT_EQ(read_png_file(out, &image), "");
    EXPECT_EQ(scratch.names(), std::vector<std::string>{"frame.png"});
}

TEST(frame_capture, wrong_arguments_print_one_usage_line_and_exit_2)
{
    scratch_directory scratch;
    const std::string out = scratch.file("frame.png");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"terrain32"},
        {"terrain32", "0"},
        {"terrain32", "0", out, "extra"},
        {"terrain64", "0", out},
        {"Terrain32", "0", out},
        {"terrain32", "-1", out},
        {"terrain32", "+1", out},
        {"terrain32", "1x", out},
        {"terrain32", "", out},
        {"terrain32", "2147483648", out},
        {"terrain32", "0", ""},
    };
    for (const auto& arguments : wrong) {
        std::vector<std::string> command = {frame_capture_path()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const program_run run = run_program(command);
        const std::string shown = ::testing::PrintToString(arguments);
        EXPECT_EQ(run.exit_status, 2) << shown;
        EXPECT_EQ(run.error_output.rfind("usage: frame_capture ", 0), 0u) << shown << run.error_output;
        EXPECT_EQ(line_count(run.error_output), 1) << shown << run.error_output;
    }
    EXPECT_TRUE(scratch.names().empty());
}

TEST(frame_capture, an_unwritable_out_prints_the_reason_and_exits_1)
{
    scratch_directory scratch;
    write_file(scratch.file("plain_file"), "kept");
    mkdir(scratch.file("a_directory").c_str(), 0777);
    const std::vector<std::string> unwritable = {
        scratch.file("missing/frame.png"),     // no such directory
        scratch.file("plain_file/frame.png"),  // a file where a directory should be
        scratch.file("a_directory"),           // a directory where the file should be
    };
    for (const std::string& out : unwritable) {
        const program_run run = run_program({frame_capture_path(), "terrain32", "0", out});
        EXPECT_EQ(run.exit_status, 1) << out;
        EXPECT_EQ(line_count(run.error_output), 1) << run.error_output;
        EXPECT_EQ(run.error_output.rfind("frame_capture: cannot ", 0), 0u) << run.error_output;
        EXPECT_NE(run.error_output.find(out + ": "), std::string::npos) << run.error_output;
    }
    EXPECT_EQ(scratch.names(), (std::vector<std::string>{"a_directory", "plain_file"}));
    EXPECT_EQ(file_contents(scratch.file("plain_file")), "kept");
}

TEST(frame_capture, a_write_cut_short_leaves_the_old_file_and_no_partial_one)
{
    scratch_directory scratch;
    const std::string out = scratch.file("frame.png");
    write_file(out, "the previous picture");
    run_options small_files;
    small_files.file_size_limit = 4096;  // a PNG of a frame is tens of kilobytes
    const program_run run = run_program({frame_capture_path(), "terrain32", "0", out}, small_files);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(line_count(run.error_output), 1) << run.error_output;
    EXPECT_NE(run.error_output.find(out), std::string::npos) << run.error_output;
    EXPECT_EQ(scratch.names(), std::vector<std::string>{"frame.png"});
    EXPECT_EQ(file_contents(out), "the previous picture");
}

}  // namespace
