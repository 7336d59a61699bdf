#include "host_test_support.h"

#include "viewer_window.h"

#include <gtest/gtest.h>

namespace {

class window_proc : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_fake_win32();
        reset_gl_record();
        fake_win32().default_result = 0x5A5A;
    }

    LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0)
    {
        return viewer_window_proc(fake_window(), message, wparam, lparam);
    }
};

}  // namespace

TEST_F(window_proc, escape_posts_quit_0_other_keys_do_nothing_and_no_key_reaches_the_default)
{
    EXPECT_EQ(send(WM_KEYDOWN, VK_ESCAPE, 0x00010001), 0);
    EXPECT_EQ(logged_names(), std::vector<std::string>{"PostQuitMessage"});
    EXPECT_EQ(args_of("PostQuitMessage"), std::vector<double>{0});

    reset_gl_record();
    for (WPARAM key : {WPARAM('A'), WPARAM(VK_SPACE), WPARAM(VK_RETURN), WPARAM(VK_F4), WPARAM(VK_MENU)})
        EXPECT_EQ(send(WM_KEYDOWN, key, 0), 0);
    EXPECT_TRUE(logged_names().empty());
}

TEST_F(window_proc, close_posts_quit_0_without_destroying_the_window)
{
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(logged_names(), std::vector<std::string>{"PostQuitMessage"});
    EXPECT_EQ(args_of("PostQuitMessage"), std::vector<double>{0});
}

TEST_F(window_proc, create_and_destroy_answer_0_and_post_nothing)
{
    EXPECT_EQ(send(WM_CREATE), 0);
    EXPECT_EQ(send(WM_DESTROY), 0);
    EXPECT_TRUE(logged_names().empty());
}

TEST_F(window_proc, every_other_message_returns_exactly_what_the_default_returns)
{
    for (UINT message : {UINT(WM_PAINT), UINT(WM_SYSCOMMAND), UINT(WM_SYSKEYDOWN), UINT(WM_CHAR),
                         UINT(WM_KEYUP), UINT(WM_APP + 7)}) {
        reset_gl_record();
        EXPECT_EQ(send(message, 1, 2), 0x5A5A) << message;
        EXPECT_EQ(args_of("DefWindowProcA"), (std::vector<double>{double(0x1001), double(message), 1, 2}));
    }
}
