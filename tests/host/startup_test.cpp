#include "host_test_support.h"

#include "render_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_host_test();
        escape_after_frames(1);
    }
};

const variant_params* const all_programs[] = {&terrain320_params, &terrain128_params, &terrain32_params};

}  // namespace

TEST_F(startup, only_terrain320_pauses_first_and_the_terrain_exists_before_the_window_class)
{
    for (const variant_params* params : all_programs) {
        SetUp();
        ASSERT_EQ(run_viewer_for_test(*params), 0);
        const std::vector<std::string> names = logged_names();
        const long long heights = static_cast<long long>(params->grid_size) * params->grid_size;
        if (params == &terrain320_params) {
            EXPECT_EQ(names.front(), "sleep");
            EXPECT_EQ(args_of("sleep"), std::vector<double>{1000.0});
        } else {
            EXPECT_EQ(position_of("sleep"), params == &terrain32_params ? position_of("swap") + 1 : -1)
                << params->program_name;
        }
        // The generator had drawn all N*N heights when the window was made.
        EXPECT_EQ(rand_calls_at_window, heights) << params->program_name;
        EXPECT_EQ(rand_calls, heights) << "no number is drawn after start-up";
    }
}

TEST_F(startup, registers_the_class_and_creates_the_window_with_the_fixed_parameters)
{
    backend_window window = {};
    on_peek = [&window](int) {
        if (!null_windows().empty())
            window = *null_windows()[0];
        null_press_key(nullptr, VK_ESCAPE);
    };
    ASSERT_EQ(run_viewer_for_test(terrain128_params), 0);
    const std::vector<std::string> expected_order = {"window_possible", "create_window", "show_window"};
    const std::vector<std::string> names = logged_names();
    ASSERT_GE(names.size(), expected_order.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3), expected_order);
    // WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 640x480 at (0, 0): the
    // client area 634x455 at (3, 22).
    EXPECT_EQ(args_of("window_possible"), (std::vector<double>{0x90C80000u, 640, 480}));
    EXPECT_EQ(args_of("create_window"), (std::vector<double>{0x90C80000u, 0, 0, 3, 22, 634, 455}));
    EXPECT_EQ(window.title, "KOLVAR Map Editor");
    EXPECT_TRUE(window.shown);

    WNDCLASSA again = {};
    again.lpfnWndProc = DefWindowProcA;
    again.lpszClassName = "GLSample";
    EXPECT_EQ(RegisterClassA(&again), 0) << "the viewer's class is registered under its name";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST_F(startup, asks_for_double_buffered_rgba_with_24_colour_and_16_depth_bits_and_nothing_else)
{
    PIXELFORMATDESCRIPTOR expected;
    std::memset(&expected, 0, sizeof expected);
    expected.nSize = 40;
    expected.nVersion = 1;
    expected.dwFlags = 0x25;
    expected.iPixelType = PFD_TYPE_RGBA;
    expected.cColorBits = 24;
    expected.cDepthBits = 16;
    expected.iLayerType = PFD_MAIN_PLANE;
    EXPECT_EQ(sizeof(PIXELFORMATDESCRIPTOR), 40u);
    const PIXELFORMATDESCRIPTOR asked = viewer_pixel_format();
    EXPECT_EQ(std::memcmp(&asked, &expected, sizeof expected), 0);
}

TEST_F(startup, makes_the_context_current_then_sets_the_fixed_gl_state_in_order)
{
    ASSERT_EQ(run_viewer_for_test(terrain32_params), 0);
    const std::vector<gl_call>& calls = recorded_gl().calls;
    const int start = position_of("choose_pixel_format");
    ASSERT_GE(start, 0);
    const std::vector<std::pair<std::string, std::vector<double>>> expected = {
        {"choose_pixel_format", {}},
        {"set_pixel_format", {}},
        {"create_context", {}},
        {"make_current", {}},
        {"glViewport", {0, 0, 640, 480}},
        {"glMatrixMode", {GL_PROJECTION}},
        {"glLoadIdentity", {}},
        {"gluPerspective", {40.0, 1.0, 1.0, -100.0}},
        {"glMatrixMode", {GL_MODELVIEW}},
        {"glLoadIdentity", {}},
        {"glClearColor", {0, 0, 0, 0}},
        {"glShadeModel", {GL_SMOOTH}},
        {"glEnable", {GL_DEPTH_TEST}},
        {"peek_starts", {}},
    };
    ASSERT_GE(calls.size(), start + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[start + i].name, expected[i].first) << "step " << i;
        EXPECT_EQ(calls[start + i].args, expected[i].second) << expected[i].first;
    }
}

// The viewer cannot start without its window or context: it says so in one
// line naming the program and the cause, gives back what it took and exits 1
// before drawing anything.
TEST_F(startup, failures_print_one_line_release_everything_and_exit_1_before_any_frame)
{
    struct failure {
        null_call call;
        const variant_params* params;
        std::string line;
    };
    const std::string driver = " - the graphics driver offers no suitable OpenGL: install the system's Mesa drivers\n";
    const failure failures[] = {
        {null_create_window, &terrain128_params, "terrain128: cannot create the window: fake failure\n"},
        {null_create_window, &terrain32_params, "terrain32: cannot create the window: cannot open the X display \":0\": "
         "out of memory - close other programs to free memory, then start it again\n"},
        {null_create_window, &terrain32_params, "terrain32: cannot create the window: cannot connect to the Wayland "
         "display \"w\": XDG_RUNTIME_DIR is not set - start it in a desktop session, or set XDG_RUNTIME_DIR to "
         "the session's runtime folder\n"},
        {null_choose_pixel_format, &terrain32_params, "terrain32: cannot find a pixel format: fake failure" + driver},
        {null_set_pixel_format, &terrain320_params, "terrain320: cannot set the pixel format: fake failure" + driver},
        {null_create_context, &terrain128_params, "terrain128: cannot create the GL context: fake failure" + driver},
        {null_make_current, &terrain128_params, "terrain128: cannot make the GL context current: fake failure" + driver},
    };
    for (const failure& f : failures) {
        SetUp();
        // The window system's words are the line's between "window: " and " - " (or its end).
        const size_t cause_at = f.line.find(": ", f.line.find(": ") + 2) + 2;
        null_fail_next(f.call, ERROR_NOT_SUPPORTED,
                       f.line.substr(cause_at, std::min(f.line.find(" - "), f.line.size() - 1) - cause_at).c_str());
        testing::internal::CaptureStderr();
        const int status = run_viewer_for_test(*f.params);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), f.line);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(count_of("peek_starts"), 0);
        EXPECT_EQ(count_of("swap"), 0);
        EXPECT_EQ(count_of("glBegin"), 0);
        const int frees = f.params->grid_storage == row_table ? f.params->grid_size + 1 : 0;
        EXPECT_EQ(count_of("delete[]"), frees) << "the height field is released";
        EXPECT_EQ(count_of("destroy_window"), f.call != null_create_window ? 1 : 0);
        EXPECT_TRUE(null_windows().empty());
        EXPECT_EQ(count_of("delete_context"), f.call == null_make_current ? 1 : 0);
    }
}
