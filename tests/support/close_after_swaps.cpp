// Loaded into a real viewer with LD_PRELOAD, ends it after a number of
// frames the way a user would: once TERRAIN_CLOSE_AFTER_SWAPS buffer swaps
// have returned it raises SIGTERM, which the layer turns into a close
// request, so the viewer shuts down in order and exits 0.  For tests that run
// the unchanged program for so many frames rather than for so long (under
// valgrind a frame may take seconds).  A viewer that ends before then exits
// 1, whatever its own status, so that a short run never passes.
// TERRAIN_STOP_AFTER_SWAPS instead stops the viewer (SIGSTOP) once that many
// swaps have returned, its last frame on show until SIGCONT.
#include "swap_hook.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static long close_after_swaps = 0;
static long stop_after_swaps = 0;

static void close_when_reached(long swaps)
{
    if (swaps == close_after_swaps)
        raise(SIGTERM);
    if (swaps == stop_after_swaps)
        raise(SIGSTOP);
}

__attribute__((constructor)) static void install_close_after_swaps()
{
    const char* wanted = getenv("TERRAIN_CLOSE_AFTER_SWAPS");
    close_after_swaps = wanted ? atol(wanted) : 0;
    const char* stop = getenv("TERRAIN_STOP_AFTER_SWAPS");
    stop_after_swaps = stop ? atol(stop) : 0;
    if (close_after_swaps > 0 || stop_after_swaps > 0)
        set_swap_listener(close_when_reached);
}

__attribute__((destructor)) static void check_close_after_swaps()
{
    if (close_after_swaps > 0 && swaps_so_far() < close_after_swaps) {
        fprintf(stderr, "close_after_swaps: the viewer ended after %ld of %ld frames\n", swaps_so_far(),
                close_after_swaps);
        _exit(1);
    }
}
