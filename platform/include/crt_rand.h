// The C runtime's pseudo-random generator as the viewers' target runtime
// defines it: values 0..32767, one per call, state 1 until seeded.
//
// On Windows this is the runtime's own rand.  Elsewhere the C library's rand
// has another contract (glibc returns values up to 2^31 - 1), so the same
// generator is provided here; either way every platform draws the same terrain.
#pragma once

// The next value, 0..32767.
int crt_rand();

// Restarts the sequence; crt_srand(1) gives the never-seeded sequence again.
void crt_srand(unsigned seed);
