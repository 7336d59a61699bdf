// The C runtime start-up, run as a child process: what WinMain gets, its
// result as the exit status, and a second SIGINT ending it at once (the
// signal tests cover a SIGINT before the window in the layer, the
// end-to-end tests the real programs ended by SIGINT and SIGTERM).
#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct probe_process {
    pid_t pid = -1;
    FILE* output = nullptr;
};

// Starts the probe with these arguments, its stdout on a pipe.
probe_process start_probe(const std::vector<std::string>& arguments)
{
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0)
        return {};
    probe_process probe;
    probe.pid = fork();
    if (probe.pid == 0) {
        dup2(pipe_ends[1], STDOUT_FILENO);
        close(pipe_ends[0]);
        close(pipe_ends[1]);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::vector<char*> argv = {const_cast<char*>(ENTRY_PROBE)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(ENTRY_PROBE, argv.data());
        _exit(127);
    }
    close(pipe_ends[1]);
    probe.output = fdopen(pipe_ends[0], "r");
    return probe;
}

std::string read_line(const probe_process& probe)
{
    char line[256] = "";
    if (!fgets(line, sizeof line, probe.output))
        return "";
    std::string text = line;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

int wait_for(probe_process& probe)
{
    int status = 0;
    waitpid(probe.pid, &status, 0);
    fclose(probe.output);
    return status;
}

TEST(entry, win_main_gets_the_command_tail_and_its_result_is_the_exit_status)
{
    probe_process probe = start_probe({"args", "one", "two"});
    ASSERT_GT(probe.pid, 0);
    EXPECT_EQ(read_line(probe), "[args one two] show 10 instance set previous null");
    const int status = wait_for(probe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

// With SDL started and a window up, the first SIGINT is a close request
// (the probe reports it and goes on) and the second ends the program at
// once: SDL must not have taken the signals over.
TEST(entry, a_second_sigint_ends_the_program_at_once)
{
    probe_process probe = start_probe({"window"});
    ASSERT_EQ(read_line(probe), "ready");
    kill(probe.pid, SIGINT);
    ASSERT_EQ(read_line(probe), "closed");
    kill(probe.pid, SIGINT);
    const int status = wait_for(probe);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

// A signal ends the run even when the program never gets to take its close
// request off the queue: the signal's own default ends it a moment later.
TEST(entry, a_signal_ends_a_program_stuck_outside_its_message_loop)
{
    probe_process probe = start_probe({"stuck"});
    ASSERT_EQ(read_line(probe), "ready");
    kill(probe.pid, SIGTERM);
    int status = 0;
    bool ended = false;
    for (int waited_ms = 0; waited_ms < 30000 && !ended; waited_ms += 10) {
        ended = waitpid(probe.pid, &status, WNOHANG) == probe.pid;
        if (!ended)
            usleep(10 * 1000);
    }
    if (!ended) {
        kill(probe.pid, SIGKILL);
        waitpid(probe.pid, &status, 0);
    }
    fclose(probe.output);
    ASSERT_TRUE(ended) << "still running 30 s after SIGTERM";
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

}  // namespace
