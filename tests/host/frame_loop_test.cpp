#include "host_test_support.h"

#include "orbit_camera.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

class frame_loop : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_fake_win32();
        reset_gl_record();
    }
};

// The calls logged from the n-th frame's clear to its end.
std::vector<std::string> frame_calls(int n, bool with_pause)
{
    const std::vector<std::string> names = logged_names();
    const int start = position_of("glClear", n) - 1;
    const size_t length = with_pause ? 9 : 8;
    return std::vector<std::string>(names.begin() + start, names.begin() + start + length);
}

}  // namespace

TEST_F(frame_loop, draws_clear_reset_look_mesh_swap_and_only_terrain32_pauses_once_per_frame)
{
    for (const variant_params* params : {&terrain128_params, &terrain32_params}) {
        SetUp();
        escape_after_frames(3);
        ASSERT_EQ(run_viewer_for_test(*params), 0);
        const bool pauses = params == &terrain32_params;
        std::vector<std::string> expected = {"glClearColor", "glClear", "glLoadIdentity", "gluLookAt",
                                             "glBegin",      "glEnd",   "SwapBuffers"};
        if (pauses)
            expected.push_back("Sleep");
        expected.push_back("PeekMessageA");
        for (int n = 0; n < 3; ++n)
            EXPECT_EQ(frame_calls(n, pauses), expected) << params->program_name << " frame " << n;
        EXPECT_EQ(args_of("glClear"), std::vector<double>{double(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)});
        EXPECT_EQ(args_of("glClearColor", 1), (std::vector<double>{0, 0, 0, 0}));
        EXPECT_EQ(count_of("SwapBuffers"), 3);
        EXPECT_EQ(count_of("Sleep"), pauses ? 3 : 0) << params->program_name;
        if (pauses) {
            EXPECT_EQ(args_of("Sleep"), std::vector<double>{1.0});
        }
        const long long vertices = 6LL * (params->grid_size - 1) * (params->grid_size - 1);
        EXPECT_EQ(recorded_gl().vertex_calls, 3 * vertices);
        EXPECT_EQ(recorded_gl().unpaired_vertices, 0);
    }
}

TEST_F(frame_loop, frame_k_looks_from_the_camera_advanced_k_times)
{
    escape_after_frames(4);
    ASSERT_EQ(run_viewer_for_test(terrain128_params), 0);
    camera_state camera = start_camera(terrain128_params);
    for (int k = 0; k < 4; ++k) {
        place_eye(camera, terrain128_params);
        EXPECT_EQ(args_of("gluLookAt", k),
                  (std::vector<double>{eye_x, eye_y, eye_z, 64.0, 0.0, 64.0, 0.0, 1.0, 0.0}))
            << "frame " << k;
        advance_camera(camera, terrain128_params);
    }
}

TEST_F(frame_loop, draws_nothing_while_a_message_is_pending_and_the_camera_waits)
{
    // Thirty passes find a message waiting; only then is the queue empty.
    fake_win32().on_peek = [](int peek) {
        if (peek < 30)
            fake_post_input(WM_KEYUP, 'A', peek);
        else if (fake_win32().swaps == 1 && !fake_win32().quit_requested && fake_win32().posted.empty())
            fake_post_input(WM_KEYDOWN, VK_ESCAPE, 0);
    };
    ASSERT_EQ(run_viewer_for_test(terrain32_params), 0);
    EXPECT_EQ(count_of("DispatchMessageA"), 30 + 1);
    EXPECT_GT(position_of("glClear"), position_of("DispatchMessageA", 29));
    place_eye(start_camera(terrain32_params), terrain32_params);
    EXPECT_EQ(args_of("gluLookAt")[0], double(eye_x)) << "the first frame shows the start camera";
    EXPECT_EQ(args_of("gluLookAt")[2], double(eye_z));
}

TEST_F(frame_loop, messages_before_quit_are_translated_and_dispatched_and_nothing_after_it)
{
    fake_win32().on_peek = [](int) {
        if (fake_win32().swaps == 2 && fake_win32().posted.empty() && count_of("TranslateMessage") == 0) {
            fake_post_input(WM_KEYDOWN, 'A', 0);
            fake_post_input(WM_KEYDOWN, VK_ESCAPE, 0);
            fake_post_input(WM_KEYDOWN, VK_ESCAPE, 0);  // a second quit request changes nothing
            fake_post_input(WM_CLOSE, 0, 0);
        }
    };
    ASSERT_EQ(run_viewer_for_test(terrain128_params), 0);
    EXPECT_EQ(count_of("TranslateMessage"), 4);
    EXPECT_EQ(count_of("DispatchMessageA"), 4);
    EXPECT_EQ(count_of("PostQuitMessage"), 3);
    EXPECT_EQ(count_of("SwapBuffers"), 2);
    // The pass that retrieves WM_QUIT is the last: shutdown follows at once.
    const std::vector<std::string> names = logged_names();
    const int last_peek = position_of("PeekMessageA", count_of("PeekMessageA") - 1);
    EXPECT_EQ(names[last_peek + 1], "delete[]");
    EXPECT_EQ(position_of("DispatchMessageA", 3), last_peek - 2);
    EXPECT_EQ(names[last_peek - 1], "PostQuitMessage");
}

TEST_F(frame_loop, shuts_down_height_field_then_context_then_device_context_then_window)
{
    for (const variant_params* params : {&terrain128_params, &terrain32_params}) {
        SetUp();
        escape_after_frames(1);
        ASSERT_EQ(run_viewer_for_test(*params), 0);
        const std::vector<std::string> names = logged_names();
        const int frees = params->grid_storage == row_table ? params->grid_size + 1 : 0;
        std::vector<std::string> expected(frees, "delete[]");
        for (const char* step : {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow",
                                 "WM_DESTROY answered"})
            expected.push_back(step);
        ASSERT_GE(names.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(names.end() - expected.size(), names.end()), expected)
            << params->program_name;
        EXPECT_EQ(args_of("wglMakeCurrent", 1), (std::vector<double>{0, 0}));
        EXPECT_EQ(args_of("WM_DESTROY answered"), std::vector<double>{0});
        EXPECT_EQ(count_of("PostQuitMessage"), 1) << "WM_DESTROY posts nothing";
    }
}

TEST_F(frame_loop, exit_status_is_the_quit_messages_code)
{
    fake_win32().on_peek = [](int) {
        if (fake_win32().swaps == 1 && !fake_win32().quit_requested)
            PostQuitMessage(7);
    };
    EXPECT_EQ(run_viewer_for_test(terrain32_params), 7);
}
