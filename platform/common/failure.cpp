// GetLastError/SetLastError and the words behind the last failure.
#include "failure_text.h"
#include "layer_common.h"

#include <stdio.h>

static DWORD failure_error = ERROR_SUCCESS;
static char failure_text[256] = "";

void layer_fail(DWORD error, const char* text)
{
    failure_error = error;
    snprintf(failure_text, sizeof failure_text, "%s", text ? text : "");
}

DWORD WINAPI GetLastError(void)
{
    return failure_error;
}

void WINAPI SetLastError(DWORD error)
{
    failure_error = error;
}

const char* last_failure_text()
{
    return failure_text;
}

void show_failure_line(const char*, const char* line)
{
    fprintf(stderr, "%s\n", line);
}
