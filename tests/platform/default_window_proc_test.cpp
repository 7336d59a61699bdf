// DefWindowProcA's results, and the close button and Alt+F4 paths from a
// window system's input to WM_CLOSE; over the null backend.
#include "test_window.h"

#include "null_backend.h"

#include <gtest/gtest.h>

namespace {

class default_window_proc : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The programs handle WM_CLOSE themselves: they quit.
        window_hook = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
            if (message != WM_CLOSE)
                return false;
            PostQuitMessage(0);
            *result = 0;
            return true;
        };
        window = make_test_window();
        ASSERT_NE(window, nullptr);
        recorded.clear();
    }
    void TearDown() override { clean_up_windows(); }

    // Runs the programs' loop until WM_QUIT (or the queue runs dry).
    bool run_until_quit()
    {
        MSG message;
        for (int taken = 0; taken < 100 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++taken) {
            if (message.message == WM_QUIT)
                return true;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return false;
    }

    // The recorded messages, without the WM_PAINT the new window gets.
    std::vector<recorded_message> without_paint()
    {
        std::vector<recorded_message> kept;
        for (const recorded_message& entry : recorded) {
            if (entry.message != WM_PAINT)
                kept.push_back(entry);
        }
        return kept;
    }

    HWND window = nullptr;
};

TEST_F(default_window_proc, gives_windows_results)
{
    EXPECT_EQ(DefWindowProcA(window, WM_NCCREATE, 0, 0), TRUE);
    EXPECT_EQ(DefWindowProcA(window, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(DefWindowProcA(window, WM_APP + 7, 1, 2), 0);
    EXPECT_EQ(DefWindowProcA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001), 0);
}

TEST_F(default_window_proc, closes_the_window_on_wm_close)
{
    window_hook = nullptr;
    EXPECT_EQ(DefWindowProcA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(recorded_of(WM_DESTROY).size(), 1u);
    EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(default_window_proc, sends_wm_close_for_sc_close_whatever_the_low_bits)
{
    DefWindowProcA(window, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
    ASSERT_EQ(recorded.size(), 1u);  // sent, not posted
    EXPECT_EQ(recorded[0].message, static_cast<UINT>(WM_CLOSE));
}

TEST_F(default_window_proc, alt_f4_becomes_wm_close_through_the_queue)
{
    backend_window* native = null_windows()[0];
    null_press_key(native, VK_MENU, true, layer_alt);
    null_press_key(native, VK_F4, true, layer_alt);
    null_press_key(native, VK_F4, false, layer_alt);
    null_press_key(native, VK_MENU, false);
    EXPECT_TRUE(run_until_quit());
    pump_messages();

    const std::vector<recorded_message> seen = without_paint();
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(seen[0].wparam, static_cast<WPARAM>(VK_MENU));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(seen[1].wparam, static_cast<WPARAM>(VK_F4));
    EXPECT_EQ(seen[1].lparam, 0x203E0001);
    EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(seen[2].wparam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(seen[3].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(seen[4].message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(seen[5].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(seen[5].wparam, static_cast<WPARAM>(VK_MENU));
}

TEST_F(default_window_proc, the_window_managers_close_request_becomes_wm_close)
{
    null_request_close(null_windows()[0]);
    EXPECT_TRUE(run_until_quit());

    const std::vector<recorded_message> seen = without_paint();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(seen[0].wparam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(seen[1].window, window);
}

}  // namespace
