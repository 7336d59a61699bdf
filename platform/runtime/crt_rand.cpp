#include "crt_rand.h"

// The classic linear congruential generator of the target runtime:
// state = state * 214013 + 2531011 (mod 2^32), result bits 16..30.
// One state for the process: the viewers draw from one thread only.
static unsigned int crt_rand_state = 1;

int crt_rand()
{
    crt_rand_state = crt_rand_state * 214013u + 2531011u;
    return static_cast<int>((crt_rand_state >> 16) & 0x7FFFu);
}

void crt_srand(unsigned seed)
{
    crt_rand_state = seed;
}
