#include "host_test_support.h"

#include "orbit_camera.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

class frame_loop : public ::testing::Test {
protected:
    void SetUp() override { reset_host_test(); }
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
                                             "glBegin",      "glEnd",   "swap"};
        if (pauses)
            expected.push_back("sleep");
        expected.push_back("peek_starts");
        for (int n = 0; n < 3; ++n)
            EXPECT_EQ(frame_calls(n, pauses), expected) << params->program_name << " frame " << n;
        EXPECT_EQ(args_of("glClear"), std::vector<double>{double(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)});
        EXPECT_EQ(args_of("glClearColor", 1), (std::vector<double>{0, 0, 0, 0}));
        EXPECT_EQ(count_of("swap"), 3);
        EXPECT_EQ(count_of("sleep"), pauses ? 3 : 0) << params->program_name;
        if (pauses) {
            EXPECT_EQ(args_of("sleep"), std::vector<double>{1.0});
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
    // Thirty passes find a key waiting; only then is the queue empty.
    on_peek = [](int peek) {
        if (peek < 30)
            null_press_key(nullptr, 'A', false);
        else if (null_swaps() == 1 && peek < 1000)
            null_press_key(nullptr, VK_ESCAPE);
    };
    ASSERT_EQ(run_viewer_for_test(terrain32_params), 0);
    EXPECT_GT(position_of("glClear"), position_of("peek_starts", 29));
    place_eye(start_camera(terrain32_params), terrain32_params);
    EXPECT_EQ(args_of("gluLookAt")[0], double(eye_x)) << "the first frame shows the start camera";
    EXPECT_EQ(args_of("gluLookAt")[2], double(eye_z));
}

TEST_F(frame_loop, messages_before_quit_are_handled_and_nothing_after_it)
{
    on_peek = [](int) {
        if (null_swaps() == 2 && count_of("escaped") == 0) {
            record_call("escaped", {});
            null_press_key(nullptr, 'A');
            null_press_key(nullptr, VK_ESCAPE);
            null_press_key(nullptr, VK_ESCAPE);  // a second quit request changes nothing
            null_request_close(nullptr);
        }
    };
    ASSERT_EQ(run_viewer_for_test(terrain128_params), 0);
    EXPECT_EQ(count_of("swap"), 2);
    // 'A', Escape, its character, WM_QUIT: the pass that retrieves it is
    // the last, and shutdown follows at once.
    const std::vector<std::string> names = logged_names();
    const int last_peek = position_of("peek_starts", count_of("peek_starts") - 1);
    EXPECT_EQ(last_peek, position_of("escaped") + 4);
    EXPECT_EQ(names[last_peek + 1], "delete[]");
}

TEST_F(frame_loop, shuts_down_height_field_then_context_then_window)
{
    for (const variant_params* params : {&terrain128_params, &terrain32_params}) {
        SetUp();
        escape_after_frames(1);
        ASSERT_EQ(run_viewer_for_test(*params), 0);
        const std::vector<std::string> names = logged_names();
        const int frees = params->grid_storage == row_table ? params->grid_size + 1 : 0;
        std::vector<std::string> expected(frees, "delete[]");
        for (const char* step : {"release_current", "delete_context", "hide_window", "destroy_window"})
            expected.push_back(step);
        ASSERT_GE(names.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(names.end() - expected.size(), names.end()), expected)
            << params->program_name;
    }
}

TEST_F(frame_loop, exit_status_is_the_quit_messages_code)
{
    on_peek = [](int) {
        if (null_swaps() == 1)
            PostQuitMessage(7);
    };
    EXPECT_EQ(run_viewer_for_test(terrain32_params), 7);
}
