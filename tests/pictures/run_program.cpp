#include "run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// In the child: the environment and limits asked for, then the program.
static void exec_child(const std::vector<std::string>& arguments, const run_options& options, int error_pipe)
{
    dup2(error_pipe, STDERR_FILENO);
    const int null_device = open("/dev/null", O_RDWR);
    dup2(null_device, STDOUT_FILENO);
    dup2(null_device, STDIN_FILENO);
    for (const std::string& entry : options.environment) {
        const size_t equals = entry.find('=');
        const std::string name = entry.substr(0, equals);
        const std::string value = entry.substr(equals + 1);
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    if (options.file_size_limit > 0) {
        // An ignored signal stays ignored across exec.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                              static_cast<rlim_t>(options.file_size_limit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

program_run run_program(const std::vector<std::string>& arguments, const run_options& options)
{
    program_run run;
    int error_pipe[2];
    if (pipe(error_pipe) != 0)
        return run;
    const pid_t child = fork();
    if (child == 0) {
        close(error_pipe[0]);
        exec_child(arguments, options, error_pipe[1]);
    }
    close(error_pipe[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = read(error_pipe[0], buffer, sizeof buffer)) > 0)
        run.error_output.append(buffer, static_cast<size_t>(got));
    close(error_pipe[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.exit_status = WEXITSTATUS(status);
    return run;
}
