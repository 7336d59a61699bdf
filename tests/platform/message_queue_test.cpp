// The queue's order: posted FIFO, then WM_QUIT, then input, then WM_PAINT;
// over the null backend.
#include "test_window.h"

#include "failure_text.h"
#include "null_backend.h"

#include <gtest/gtest.h>

namespace {

class message_queue : public ::testing::Test {
protected:
    void TearDown() override { clean_up_windows(); }
};

MSG take()
{
    MSG message = {};
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    return message;
}

TEST_F(message_queue, posted_messages_come_first_in_first_out_and_quit_requests_merge_after_them)
{
    PostMessageA(nullptr, WM_APP + 1, 0, 0);
    PostQuitMessage(5);
    PostMessageA(nullptr, WM_APP + 2, 0, 0);
    PostQuitMessage(7);
    PostMessageA(nullptr, WM_APP + 3, 0, 0);

    EXPECT_EQ(take().message, static_cast<UINT>(WM_APP + 1));
    EXPECT_EQ(take().message, static_cast<UINT>(WM_APP + 2));
    EXPECT_EQ(take().message, static_cast<UINT>(WM_APP + 3));
    const MSG quit = take();
    EXPECT_EQ(quit.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(quit.hwnd, nullptr);
    EXPECT_EQ(quit.wParam, 7u);  // the last request's code, as under Wine
    EXPECT_EQ(quit.lParam, 0);
    MSG none;
    EXPECT_FALSE(PeekMessageA(&none, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(message_queue, only_removing_the_quit_message_clears_the_request)
{
    PostQuitMessage(3);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));

    PostQuitMessage(4);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 4u);
}

TEST_F(message_queue, quit_comes_after_posted_messages_and_before_input)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    null_press_key(nullptr, VK_ESCAPE);
    PostQuitMessage(0);
    PostMessageA(window, WM_APP, 0, 0);

    EXPECT_EQ(take().message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(take().message, static_cast<UINT>(WM_QUIT));
    const MSG key = take();
    EXPECT_EQ(key.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(key.hwnd, window);
}

TEST_F(message_queue, paint_follows_input_and_stops_once_validated)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    null_press_key(nullptr, 'A');

    EXPECT_EQ(take().message, static_cast<UINT>(WM_KEYDOWN));
    // WM_PAINT stays until the window is validated, PM_REMOVE or not.
    EXPECT_EQ(take().message, static_cast<UINT>(WM_PAINT));
    const MSG paint = take();
    EXPECT_EQ(paint.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(paint.hwnd, window);
    DispatchMessageA(&paint);  // DefWindowProcA validates
    MSG none;
    EXPECT_FALSE(PeekMessageA(&none, nullptr, 0, 0, PM_REMOVE));
    // Exposed again by the window system: painted again.
    null_expose(null_windows()[0]);
    EXPECT_EQ(take().hwnd, window);
}

TEST_F(message_queue, sent_messages_run_inside_the_call_and_posted_ones_wait_for_dispatch)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    pump_messages();
    recorded.clear();
    window_hook = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        *result = 42;
        return message == WM_APP;
    };

    EXPECT_EQ(SendMessageA(window, WM_APP, 1, 2), 42);
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].wparam, 1u);

    EXPECT_TRUE(PostMessageA(window, WM_APP, 3, 4));
    EXPECT_EQ(recorded.size(), 1u);
    const MSG posted = take();
    EXPECT_EQ(posted.hwnd, window);
    EXPECT_EQ(DispatchMessageA(&posted), 42);
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].lparam, 4);
}

TEST_F(message_queue, dispatching_a_thread_message_calls_no_window_procedure)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    recorded.clear();
    const MSG quit = {nullptr, WM_QUIT, 0, 0, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageA(&quit), 0);
    EXPECT_TRUE(recorded.empty());
}

TEST_F(message_queue, messages_for_a_destroyed_window_go_with_it)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    null_press_key(nullptr, 'A');
    MSG peeked;
    ASSERT_TRUE(PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE));  // the key is read in
    ASSERT_EQ(peeked.message, static_cast<UINT>(WM_KEYDOWN));
    PostMessageA(window, WM_APP, 0, 0);
    ASSERT_TRUE(DestroyWindow(window));
    MSG none;
    EXPECT_FALSE(PeekMessageA(&none, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(window, WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace

// Its own process: a failed run stays failed.  The one line, then WM_QUIT(1)
// for the program's own end, whatever the program asks for afterwards.
TEST(failed_run, shows_one_line_and_ends_through_the_programs_loop_with_status_1)
{
    EXPECT_EXIT(
        {
            layer_set_program_name("viewer");
            layer_end_run("lost the display", "gone");
            show_failure_line("viewer", "viewer: cannot create the window: after it");
            PostQuitMessage(0);
            MSG quit = {};
            PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE);
            exit(quit.message == WM_QUIT ? static_cast<int>(quit.wParam) * 10 + layer_run_status(0) : 0);
        },
        testing::ExitedWithCode(11), "^viewer: lost the display: gone\n$");
}
