/* start_without_std_handles PROGRAM: starts PROGRAM as Explorer and the Start
 * menu start a GUI program, with no standard input, output or error at all,
 * waits for it and exits with its exit code (2 when it cannot be started). */
#include <windows.h>

#include <stdio.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: start_without_std_handles PROGRAM\n");
        return 2;
    }
    char command_line[MAX_PATH + 2];
    snprintf(command_line, sizeof command_line, "\"%s\"", argv[1]);
    STARTUPINFOA startup = {0};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  /* and every handle NULL */
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command_line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "start_without_std_handles: cannot start %s: error %lu\n", argv[1], GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(process.hProcess, &status);
    return (int)status;
}
