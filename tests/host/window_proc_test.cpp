#include "host_test_support.h"

#include "viewer_window.h"

#include <gtest/gtest.h>

namespace {

class window_proc : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_host_test();
        window = create_viewer_window(nullptr, 640, 480);
        ASSERT_NE(window, nullptr);
        DefWindowProcA(window, WM_PAINT, 0, 0);  // validated: the queue is empty
    }
    void TearDown() override { DestroyWindow(window); }

    LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0)
    {
        return viewer_window_proc(window, message, wparam, lparam);
    }

    // The quit request's code, or -1 when nothing waits.
    int quit_code()
    {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            return -1;
        return message.message == WM_QUIT ? static_cast<int>(message.wParam) : -2;
    }

    HWND window = nullptr;
};

}  // namespace

TEST_F(window_proc, escape_posts_quit_0_other_keys_do_nothing_and_no_key_reaches_the_default)
{
    EXPECT_EQ(send(WM_KEYDOWN, VK_ESCAPE, 0x00010001), 0);
    EXPECT_EQ(quit_code(), 0);

    for (WPARAM key : {WPARAM('A'), WPARAM(VK_SPACE), WPARAM(VK_RETURN), WPARAM(VK_F4), WPARAM(VK_MENU)})
        EXPECT_EQ(send(WM_KEYDOWN, key, 0), 0);
    EXPECT_EQ(quit_code(), -1);
}

TEST_F(window_proc, close_posts_quit_0_without_destroying_the_window)
{
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(quit_code(), 0);
    EXPECT_EQ(count_of("destroy_window"), 0);
    EXPECT_NE(GetDC(window), nullptr);
}

TEST_F(window_proc, create_and_destroy_answer_0_and_post_nothing)
{
    EXPECT_EQ(send(WM_CREATE), 0);
    EXPECT_EQ(send(WM_DESTROY), 0);
    EXPECT_EQ(quit_code(), -1);
}

TEST_F(window_proc, every_other_message_returns_exactly_what_the_default_returns)
{
    for (UINT message : {UINT(WM_NCCREATE), UINT(WM_ERASEBKGND), UINT(WM_PAINT), UINT(WM_SYSCOMMAND),
                         UINT(WM_CHAR), UINT(WM_KEYUP), UINT(WM_APP + 7)})
        EXPECT_EQ(send(message, 1, 2), DefWindowProcA(window, message, 1, 2)) << message;
    EXPECT_EQ(send(WM_ERASEBKGND), 1);
}
