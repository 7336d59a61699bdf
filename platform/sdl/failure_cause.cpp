// The cause of a failed creation step, in words: the X error or SDL's.
#include "layer.h"

#include <stdio.h>

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
