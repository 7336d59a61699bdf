// SIGINT/SIGTERM/SIGHUP as close requests, Sleep through interruptions, and a
// library crashing while the layer starts it.
#include "test_window.h"

#include "../../platform/posix/posix.h"

#include <chrono>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class signals : public ::testing::Test {
protected:
    void SetUp() override
    {
        use_offscreen_video();
        posix_install_signal_handlers(600);  // the watchdog must not end the test
    }
    void TearDown() override
    {
        posix_clear_signal();
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

// terrain320's pause before its window: the watchdog's grace must not run
// out during it.  The signal may reach either thread.
TEST_F(signals, a_signal_cuts_a_sleep_short)
{
    std::thread sender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(getpid(), SIGTERM);
    });
    const auto start = std::chrono::steady_clock::now();
    Sleep(120000);
    sender.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(signals, sighup_ignored_at_start_as_under_nohup_stays_ignored)
{
    signal(SIGHUP, SIG_IGN);
    posix_install_signal_handlers(600);
    EXPECT_EQ(signal(SIGHUP, SIG_DFL), SIG_IGN);
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

// What a library says while it starts stays off the terminal; if it then
// crashes, its words reach the user in the one failure line, status 1.
TEST(library_start_up, a_crash_inside_becomes_the_one_failure_line)
{
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(output[1], STDERR_FILENO);
        layer_set_program_name(program_invocation_short_name);
        posix_chatter_begin("cannot create the window");
        fprintf(stderr, "library: first words\nlibrary: out of memory\n");
        raise(SIGSEGV);
        _exit(0);
    }
    close(output[1]);
    std::string said;
    char buffer[256];
    for (ssize_t length; (length = read(output[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<size_t>(length));
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(said, std::string(program_invocation_short_name) +
                        ": cannot create the window: a library crashed (segmentation fault)"
                        " (library: out of memory)\n");
}

// With no descriptor left to save stderr in, a capture keeps nothing open;
// and a capture kept for the rest of the run outlasts its caller's end.
TEST(library_start_up, a_capture_that_cannot_start_leaks_nothing_and_a_kept_one_stays)
{
    EXPECT_EXIT(
        {
            const int last = dup(0);  // the lowest free descriptor, the only one left below the limit
            close(last);
            rlimit ample;
            getrlimit(RLIMIT_NOFILE, &ample);
            rlimit limit = ample;
            limit.rlim_cur = rlim_t(last) + 1;
            setrlimit(RLIMIT_NOFILE, &limit);
            posix_chatter_begin("cannot create the window");
            const bool leaked = posix_chatter_capturing() || fcntl(last, F_GETFD) != -1;
            setrlimit(RLIMIT_NOFILE, &ample);
            posix_chatter_begin("cannot create the window");
            posix_chatter_keep("lost the display");
            posix_chatter_end();
            _exit(leaked || !posix_chatter_capturing());
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
