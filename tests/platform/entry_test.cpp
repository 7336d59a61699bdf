// The C runtime start-up, run as a child process: what WinMain gets, its
// result as the exit status, and SIGINT before the window and twice (the
// end-to-end tests end the real programs with SIGINT and SIGTERM).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
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
    FILE* input = nullptr;
    FILE* output = nullptr;
};

// Starts the probe with these arguments, its stdin and stdout on pipes.
probe_process start_probe(const std::vector<std::string>& arguments)
{
    int to_probe[2], from_probe[2];
    if (pipe(to_probe) != 0 || pipe(from_probe) != 0)
        return {};
    probe_process probe;
    probe.pid = fork();
    if (probe.pid == 0) {
        dup2(to_probe[0], STDIN_FILENO);
        dup2(from_probe[1], STDOUT_FILENO);
        for (int end : {to_probe[0], to_probe[1], from_probe[0], from_probe[1]})
            close(end);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        std::vector<char*> argv = {const_cast<char*>(ENTRY_PROBE)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(ENTRY_PROBE, argv.data());
        _exit(127);
    }
    close(to_probe[0]);
    close(from_probe[1]);
    probe.input = fdopen(to_probe[1], "w");
    probe.output = fdopen(from_probe[0], "r");
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

// Lets a "window" probe go on to make its window.
void make_the_window(const probe_process& probe)
{
    fputs("go\n", probe.input);
    fflush(probe.input);
}

// True once the probe no longer catches SIGINT: its handler has run (it
// restores the default disposition); false after a generous deadline.
bool sigint_handled(const probe_process& probe)
{
    const std::string status_path = "/proc/" + std::to_string(probe.pid) + "/status";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream status(status_path);
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigCgt:", 0) == 0) {
                const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
                if (!(caught & (1ull << (SIGINT - 1))))
                    return true;
            }
        }
        usleep(10 * 1000);
    }
    return false;
}

int wait_for(probe_process& probe)
{
    fclose(probe.input);  // a probe still waiting for its line ends
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

TEST(entry, sigint_before_the_window_exists_closes_it_once_made)
{
    probe_process probe = start_probe({"window"});
    ASSERT_EQ(read_line(probe), "started");
    kill(probe.pid, SIGINT);
    ASSERT_TRUE(sigint_handled(probe));
    make_the_window(probe);
    EXPECT_EQ(read_line(probe), "ready");
    EXPECT_EQ(read_line(probe), "closed");
    const int status = wait_for(probe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(entry, a_second_sigint_ends_the_program_at_once)
{
    probe_process probe = start_probe({"window"});
    ASSERT_EQ(read_line(probe), "started");
    kill(probe.pid, SIGINT);
    ASSERT_TRUE(sigint_handled(probe));
    kill(probe.pid, SIGINT);
    const int status = wait_for(probe);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

}  // namespace
