// Shared helpers for the host's tests: run a viewer against the recording
// stand-ins and look at what it called.
#pragma once

#include "fake_win32.h"
#include "gl_recorder.h"
#include "variant_params.h"

#include <string>
#include <vector>

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

// Ends the run with Escape once `frames` frames have been drawn.
void escape_after_frames(int frames);

// Frees of arrays (the row-table height field's) are logged as "delete[]"
// while this is on.
extern bool log_array_frees;
