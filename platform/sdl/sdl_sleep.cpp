// Sleep in milliseconds.
#include "sdl_backend.h"

#include <errno.h>
#include <time.h>

void backend_sleep(DWORD milliseconds)
{
    timespec remaining = {static_cast<time_t>(milliseconds / 1000),
                          static_cast<long>(milliseconds % 1000) * 1000000L};
    // NOTE: profiling builds get SIGPROF many times a second; each one cuts
    // nanosleep short, so sleep again for what is left.
    while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
    }
}
