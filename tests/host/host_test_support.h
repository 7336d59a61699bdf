// Shared helpers for the host's tests: run a viewer over the real layer on
// the null backend and look at what it called.  The null backend's calls
// ("create_window", "swap", ...) are logged with the GL calls, in order.
#pragma once

#include "gl_recorder.h"
#include "null_backend.h"
#include "variant_params.h"

#include <functional>
#include <string>
#include <vector>

// Empties the log, the null backend's script and the generator's counts.
void reset_host_test();

// Runs `params`'s viewer to its end and returns its exit status.  Its grid
// lives in the test's storage when the storage is contiguous.
int run_viewer_for_test(const variant_params& params);

// Names of all calls logged, in order.
std::vector<std::string> logged_names();

// Position of the n-th (from 0) call named `name` in the log, or -1.
int position_of(const std::string& name, int n = 0);

// How many calls named `name` were logged.
int count_of(const std::string& name);

// The arguments of the n-th call named `name`.
std::vector<double> args_of(const std::string& name, int n = 0);

// Called as every PeekMessageA starts, with the number of earlier ones; a
// test scripts input from here.
extern std::function<void(int peek)> on_peek;

// Ends the run with Escape once `frames` frames have been drawn.
void escape_after_frames(int frames);

// The C runtime generator's calls so far, and when the window was made.
extern long long rand_calls, rand_calls_at_window;

// Frees of arrays (the row-table height field's) are logged as "delete[]"
// while this is on.
extern bool log_array_frees;
