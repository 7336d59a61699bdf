// A listener on the buffer swaps of a program linked against our SDL2 layer,
// for benchmarks and tests that run the viewers' real loop and need to know
// when a frame has been drawn.
//
// Linking this library puts our own SDL_GL_SwapWindow into the executable;
// the layer's calls reach it, and it forwards to SDL's.  Nothing else in the
// program changes.
#pragma once

// Called right after every swap has returned, with the number of swaps so
// far (1 for the first), on the thread that swapped.
using swap_listener = void (*)(long swaps);

// Installs `listener` (nullptr: none) for the swaps to come.
void set_swap_listener(swap_listener listener);

// The number of swaps made so far.
long swaps_so_far();

// CLOCK_MONOTONIC in nanoseconds.
long long monotonic_ns();
