// The viewers' own frame loop, timed.  A GUI program with the real start-up
// (platform/sdl/sdl_entry.cpp, malloc settings included) that runs a viewer's
// run_viewer through the real layer and ends it with SIGTERM, the way a user
// would, once it has drawn enough frames.
//
//   frame_bench PROGRAM FRAMES WARMUP [--real-pauses] [--rss-every K]
//
// Prints one line: program, frames, wall and CPU (all threads) ms per frame
// over the FRAMES frames that follow WARMUP frames, and minor page faults per
// frame over the same span.
// The pauses the programs take (terrain320's one second before start-up,
// terrain32's 1 ms after every frame) are left out unless --real-pauses is
// given, so that the figure is the frame's own cost.  With --rss-every, the
// resident set size is printed every K frames as well (for the soak).

#include "process_usage.h"
#include "swap_hook.h"
#include "run_viewer.h"

#include <windows.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <sstream>
#include <string>

namespace {

struct bench_plan {
    long warmup = 0;
    long frames = 0;
    long rss_every = 0;
};

bench_plan plan;
long long span_start_ns = 0;
long long span_start_cpu_ns = 0;
long span_start_faults = 0;
const char* program = "";

// Resident set size in KiB, from /proc/self/statm (pages).
long resident_kib()
{
    long pages_total = 0, pages_resident = 0;
    if (FILE* statm = fopen("/proc/self/statm", "r")) {
        if (fscanf(statm, "%ld %ld", &pages_total, &pages_resident) != 2)
            pages_resident = 0;
        fclose(statm);
    }
    return pages_resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void on_swap(long swaps)
{
    if (plan.rss_every > 0 && swaps % plan.rss_every == 0) {
        printf("rss frame %ld kib %ld\n", swaps, resident_kib());
        fflush(stdout);
    }
    if (swaps == plan.warmup) {
        span_start_faults = process_minor_faults();
        span_start_cpu_ns = process_cpu_ns();
        span_start_ns = monotonic_ns();
    } else if (swaps == plan.warmup + plan.frames) {
        const long long elapsed_ns = monotonic_ns() - span_start_ns;
        const long long used_ns = process_cpu_ns() - span_start_cpu_ns;
        const long faults = process_minor_faults() - span_start_faults;
        printf("program %s frames %ld ms_per_frame %.4f cpu_ms_per_frame %.4f faults_per_frame %.2f\n", program,
               plan.frames, elapsed_ns / 1e6 / plan.frames, used_ns / 1e6 / plan.frames,
               static_cast<double>(faults) / plan.frames);
        fflush(stdout);
        // The layer turns it into a close request: the viewer ends as it
        // would for the user, with status 0.
        raise(SIGTERM);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int)
{
    std::istringstream words(command_line);
    std::string name;
    words >> name >> plan.frames >> plan.warmup;
    bool real_pauses = false;
    for (std::string option; words >> option;) {
        if (option == "--real-pauses")
            real_pauses = true;
        else if (option == "--rss-every")
            words >> plan.rss_every;
    }
    const variant_params* found = find_variant_params(name.c_str());
    if (!found || plan.frames <= 0 || plan.warmup <= 0) {
        fprintf(stderr, "usage: frame_bench PROGRAM FRAMES WARMUP [--real-pauses] [--rss-every K]\n");
        return 2;
    }
    variant_params params = *found;
    if (!real_pauses) {
        params.start_delay_ms = no_pause;
        params.frame_delay_ms = no_pause;
    }
    program = params.program_name;
    // As in terrain32's entry function: its grid in automatic storage.
    float grid[32 * 32];
    float* cells = params.grid_storage == contiguous ? grid : nullptr;
    if (cells && params.grid_size * params.grid_size > 32 * 32) {
        fprintf(stderr, "frame_bench: %s's grid does not fit\n", program);
        return 2;
    }
    set_swap_listener(on_swap);
    const int status = run_viewer(instance, params, cells);
    if (swaps_so_far() < plan.warmup + plan.frames) {
        fprintf(stderr, "frame_bench: the viewer ended after %ld frames\n", swaps_so_far());
        return 1;
    }
    return status;
}
