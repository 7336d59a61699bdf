#include "host_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

class startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_fake_win32();
        reset_gl_record();
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
            EXPECT_EQ(names.front(), "Sleep");
            EXPECT_EQ(args_of("Sleep"), std::vector<double>{1000.0});
        } else {
            EXPECT_EQ(position_of("Sleep"), params == &terrain32_params ? position_of("SwapBuffers") + 1 : -1)
                << params->program_name;
        }
        // The generator had drawn all N*N heights when the class was registered.
        EXPECT_EQ(args_of("RegisterClassA"), std::vector<double>{double(heights)}) << params->program_name;
        EXPECT_EQ(fake_rand_calls(), heights) << "no number is drawn after start-up";
    }
}

TEST_F(startup, registers_the_class_and_creates_the_window_with_the_fixed_parameters)
{
    ASSERT_EQ(run_viewer_for_test(terrain128_params), 0);
    const std::vector<std::string> expected_order = {"LoadIconA", "LoadCursorA", "GetStockObject",
                                                     "RegisterClassA", "CreateWindowExA", "WM_CREATE answered"};
    const std::vector<std::string> names = logged_names();
    ASSERT_GE(names.size(), expected_order.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6), expected_order);
    EXPECT_EQ(args_of("LoadIconA"), (std::vector<double>{0.0, 32512.0}));
    EXPECT_EQ(args_of("LoadCursorA"), (std::vector<double>{0.0, 32512.0}));
    EXPECT_EQ(args_of("GetStockObject"), std::vector<double>{BLACK_BRUSH});
    EXPECT_EQ(args_of("WM_CREATE answered"), std::vector<double>{0.0});

    ASSERT_EQ(fake_win32().registered_classes.size(), 1u);
    const WNDCLASSA& window_class = fake_win32().registered_classes[0];
    EXPECT_EQ(window_class.style, static_cast<UINT>(CS_OWNDC));
    EXPECT_NE(window_class.lpfnWndProc, nullptr);
    EXPECT_EQ(window_class.cbClsExtra, 0);
    EXPECT_EQ(window_class.cbWndExtra, 0);
    EXPECT_EQ(window_class.hInstance, fake_instance());
    EXPECT_NE(window_class.hIcon, nullptr);
    EXPECT_NE(window_class.hCursor, nullptr);
    EXPECT_NE(window_class.hbrBackground, nullptr);
    EXPECT_EQ(window_class.lpszMenuName, nullptr);
    EXPECT_EQ(fake_win32().registered_class_names[0], "GLSample");

    ASSERT_EQ(fake_win32().created_windows.size(), 1u);
    const fake_window_creation& window = fake_win32().created_windows[0];
    EXPECT_EQ(window.ex_style, 0u);
    EXPECT_EQ(window.class_name, "GLSample");
    EXPECT_EQ(window.title, "KOLVAR Map Editor");
    EXPECT_EQ(window.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
    EXPECT_EQ(window.style, 0x90C80000u);
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_EQ(window.parent, nullptr);
    EXPECT_EQ(window.menu, nullptr);
    EXPECT_EQ(window.instance, fake_instance());
    EXPECT_EQ(window.param, nullptr);
}

TEST_F(startup, asks_for_double_buffered_rgba_with_24_colour_and_16_depth_bits_and_nothing_else)
{
    ASSERT_EQ(run_viewer_for_test(terrain32_params), 0);
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
    EXPECT_EQ(std::memcmp(&fake_win32().chosen_request, &expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(&fake_win32().set_request, &expected, sizeof expected), 0);
    EXPECT_EQ(fake_win32().set_format, 7) << "the chosen index is the one set";
}

TEST_F(startup, makes_the_context_current_then_sets_the_fixed_gl_state_in_order)
{
    ASSERT_EQ(run_viewer_for_test(terrain32_params), 0);
    const std::vector<gl_call>& calls = recorded_gl().calls;
    const int start = position_of("GetDC");
    ASSERT_GE(start, 0);
    const std::vector<std::pair<std::string, std::vector<double>>> expected = {
        {"GetDC", {double(0x1001)}},
        {"ChoosePixelFormat", {double(0x2002)}},
        {"SetPixelFormat", {double(0x2002), 7.0}},
        {"wglCreateContext", {double(0x2002)}},
        {"wglMakeCurrent", {double(0x2002), double(0x3003)}},
        {"glViewport", {0, 0, 640, 480}},
        {"glMatrixMode", {GL_PROJECTION}},
        {"glLoadIdentity", {}},
        {"gluPerspective", {40.0, 1.0, 1.0, -100.0}},
        {"glMatrixMode", {GL_MODELVIEW}},
        {"glLoadIdentity", {}},
        {"glClearColor", {0, 0, 0, 0}},
        {"glShadeModel", {GL_SMOOTH}},
        {"glEnable", {GL_DEPTH_TEST}},
        {"PeekMessageA", {0, 0, 0, PM_REMOVE}},
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
        bool fake_win32_state::*flag;
        const variant_params* params;
        const char* line;
    };
    const failure failures[] = {
        {&fake_win32_state::fail_create_window, &terrain128_params,
         "terrain128: cannot create the window: fake failure\n"},
        {&fake_win32_state::fail_choose_format, &terrain32_params,
         "terrain32: cannot find a pixel format: fake failure\n"},
        {&fake_win32_state::fail_set_format, &terrain320_params,
         "terrain320: cannot set the pixel format: fake failure\n"},
        {&fake_win32_state::fail_create_context, &terrain128_params,
         "terrain128: cannot create the GL context: fake failure\n"},
        {&fake_win32_state::fail_make_current, &terrain128_params,
         "terrain128: cannot make the GL context current: fake failure\n"},
    };
    for (const failure& f : failures) {
        SetUp();
        fake_win32().*f.flag = true;
        testing::internal::CaptureStderr();
        const int status = run_viewer_for_test(*f.params);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), f.line);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(count_of("PeekMessageA"), 0);
        EXPECT_EQ(count_of("SwapBuffers"), 0);
        EXPECT_EQ(count_of("glBegin"), 0);
        const int frees = f.params->grid_storage == row_table ? f.params->grid_size + 1 : 0;
        EXPECT_EQ(count_of("delete[]"), frees) << "the height field is released";
        const bool had_window = f.flag != &fake_win32_state::fail_create_window;
        EXPECT_EQ(count_of("DestroyWindow"), had_window ? 1 : 0);
        EXPECT_EQ(count_of("ReleaseDC"), count_of("GetDC"));
        EXPECT_EQ(count_of("wglDeleteContext"), f.flag == &fake_win32_state::fail_make_current ? 1 : 0);
    }
}
