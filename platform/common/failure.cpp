// GetLastError/SetLastError and the words behind the last failure; and the
// one way a run ends with a failure: its one line, then the program's own
// end with status 1.
#include "failure_text.h"
#include "layer_common.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

void layer_fail(DWORD error, const char* text)
{
    layer_front.error = error;
    snprintf(layer_front.error_text, sizeof layer_front.error_text, "%s", text ? text : "");
}

DWORD WINAPI GetLastError(void)
{
    return layer_front.error;
}

void WINAPI SetLastError(DWORD error)
{
    layer_front.error = error;
}

const char* last_failure_text()
{
    return layer_front.error_text;
}

void show_failure_line(const char*, const char* line)
{
    // A run shows one failure line: what follows from the first failure
    // (the start-up's own report of a window that could not be made after
    // the display was lost) is not news.
    if (!layer_front.run_failed)
        fprintf(stderr, "%s\n", line);
}

void layer_set_program_name(const char* name)
{
    snprintf(layer_front.program_name, sizeof layer_front.program_name, "%s", name ? name : "");
}

void layer_end_run(const char* what, const char* cause)
{
    char line[512];
    snprintf(line, sizeof line, "%s: %s: %s", layer_front.program_name, what, cause);
    show_failure_line(layer_front.program_name, line);
    layer_front.run_failed = 1;
    // The program's loop takes WM_QUIT at its next PeekMessageA and releases
    // its window and context on its way out.
    PostQuitMessage(1);
}

static void failure_write(int descriptor, const char* text)
{
    for (size_t left = strlen(text); left > 0;) {
        const ssize_t written = write(descriptor, text, left);
        if (written <= 0)
            return;
        text += written;
        left -= static_cast<size_t>(written);
    }
}

void layer_end_run_from_signal(int descriptor, const char* what, const char* cause, const char* detail)
{
    // NOTE: a signal handler may have interrupted anything, the window
    // system's libraries included; no code of the program can safely run, so
    // the process ends here, without the program's own end.
    if (!layer_front.run_failed) {
        const char* const parts[] = {layer_front.program_name, ": ", what, ": ", cause};
        for (const char* part : parts)
            failure_write(descriptor, part);
        if (detail && *detail) {
            failure_write(descriptor, " (");
            failure_write(descriptor, detail);
            failure_write(descriptor, ")");
        }
        failure_write(descriptor, "\n");
    }
    _exit(1);
}

bool layer_run_failed()
{
    return layer_front.run_failed;
}

int layer_run_status(int result)
{
    return layer_front.run_failed ? 1 : result;
}
