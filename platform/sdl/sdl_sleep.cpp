// Sleep in milliseconds, cut short by a signal that asks the run to end.
#include "sdl_backend.h"

#include <time.h>

// How long one piece of a sleep lasts at most: how late a noted signal is
// seen at worst.
static const long sleep_slice_ns = 50 * 1000000L;

void backend_sleep(DWORD milliseconds)
{
    timespec end;
    clock_gettime(CLOCK_MONOTONIC, &end);
    end.tv_sec += static_cast<time_t>(milliseconds / 1000);
    end.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (end.tv_nsec >= 1000000000L) {
        ++end.tv_sec;
        end.tv_nsec -= 1000000000L;
    }
    // A SIGINT, SIGTERM or SIGHUP ends the sleep: the program goes on to
    // its window, whose first PeekMessageA takes the close request, within
    // the signal watchdog's grace time.
    // NOTE: a signal handled on another thread (SDL's, Mesa's) does not cut
    // this thread's sleep short, and profiling builds get SIGPROF many times
    // a second, which does: so the sleep goes in slices to one fixed end,
    // looking for a noted signal between them.
    while (!posix_signal_pending()) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec > end.tv_sec || (now.tv_sec == end.tv_sec && now.tv_nsec >= end.tv_nsec))
            return;
        timespec slice = now;
        slice.tv_nsec += sleep_slice_ns;
        if (slice.tv_nsec >= 1000000000L) {
            ++slice.tv_sec;
            slice.tv_nsec -= 1000000000L;
        }
        if (slice.tv_sec > end.tv_sec || (slice.tv_sec == end.tv_sec && slice.tv_nsec > end.tv_nsec))
            slice = end;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &slice, nullptr);
    }
}
