// GetLastError/SetLastError and the words behind the last failure.
#include "failure_text.h"
#include "layer.h"

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

const char* layer_failure_cause(const char* x_error, const char* said)
{
    static char cause[512];
    const char* first = x_error ? x_error : SDL_GetError();
    if (!*first)
        first = "unknown cause";
    if (said && *said)
        snprintf(cause, sizeof cause, "%s (%s)", first, said);
    else
        snprintf(cause, sizeof cause, "%s", first);
    return cause;
}
