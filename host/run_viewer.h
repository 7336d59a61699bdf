// The body of every viewer's entry point: start-up, the message loop that
// draws whenever no message waits, and the orderly shutdown.
#pragma once

#include "variant_params.h"

#include <windows.h>

// Runs the viewer described by `params` until a quit request and returns the
// quit message's code (0), or 1 when the height field, the window or its
// rendering context cannot be made.  For contiguous storage, `contiguous_cells` is the entry
// function's own N*N array; otherwise it is unused.
int run_viewer(HINSTANCE instance, const variant_params& params, float* contiguous_cells);
