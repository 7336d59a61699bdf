// SIGINT/SIGTERM as close requests, and Sleep through interruptions.
#include "test_window.h"

#include "signals.h"

#include <chrono>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

namespace {

class signals : public ::testing::Test {
protected:
    void SetUp() override
    {
        use_offscreen_video();
        layer_install_signal_handlers(600);  // the watchdog must not end the test
    }
    void TearDown() override
    {
        layer_clear_signal();
        clean_up_windows();
    }
};

sighandler_t disposition_of(int signal_number)
{
    struct sigaction current = {};
    sigaction(signal_number, nullptr, &current);
    return current.sa_handler;
}

TEST_F(signals, a_signal_before_any_window_waits_for_one_and_then_closes_it)
{
    raise(SIGINT);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    // A second Ctrl-C would now end the process at once.
    EXPECT_EQ(disposition_of(SIGINT), SIG_DFL);
    EXPECT_EQ(disposition_of(SIGTERM), SIG_DFL);

    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    window_hook = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message == WM_CLOSE)
            PostQuitMessage(0);
        *result = 0;
        return message == WM_CLOSE;
    };
    recorded.clear();
    pump_messages();
    const std::vector<recorded_message> commands = recorded_of(WM_SYSCOMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wparam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(commands[0].window, window);
    EXPECT_EQ(recorded_of(WM_CLOSE).size(), 1u);
}

TEST_F(signals, sigterm_closes_the_window_once)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    window_hook = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        *result = 0;
        return message == WM_CLOSE;
    };
    raise(SIGTERM);
    pump_messages();
    pump_messages();
    EXPECT_EQ(recorded_of(WM_CLOSE).size(), 1u);
}

volatile sig_atomic_t alarms = 0;
void count_alarm(int)
{
    alarms = alarms + 1;
}

TEST(sleep, sleeps_the_whole_time_through_interruptions)
{
    struct sigaction action = {};
    action.sa_handler = count_alarm;  // no SA_RESTART, as with the profiler's SIGPROF
    sigaction(SIGALRM, &action, nullptr);
    itimerval every_millisecond = {{0, 1000}, {0, 1000}};
    setitimer(ITIMER_REAL, &every_millisecond, nullptr);

    const auto start = std::chrono::steady_clock::now();
    Sleep(50);
    const auto slept = std::chrono::steady_clock::now() - start;

    itimerval off = {};
    setitimer(ITIMER_REAL, &off, nullptr);
    EXPECT_GT(alarms, 0);
    EXPECT_GE(slept, std::chrono::milliseconds(50));
}

}  // namespace
