// The cause of a failed creation step, in words: the X error or SDL's; and
// the name of a display that could not be used, as the failure line shows it.
#include "sdl_backend.h"

#include <stdio.h>
#include <string.h>

const char* sdl_failure_cause(const char* x_error, const char* said)
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

const char* sdl_quoted_name(const char* name)
{
    // Quoted, cut short when long, with control characters as '?', so that
    // the failure line stays one short line.
    static char shown[48];
    const size_t longest = 32;
    size_t length = 0;
    shown[length++] = '"';
    for (const char* c = name; *c && length <= longest; ++c)
        shown[length++] = (static_cast<unsigned char>(*c) < ' ' || *c == 0x7F) ? '?' : *c;
    snprintf(shown + length, sizeof shown - length, "%s\"", strlen(name) > longest ? "..." : "");
    return shown;
}
