#include "crt_rand.h"

#include <stdlib.h>

// The Windows C runtime's rand is already the viewers' generator.
int crt_rand()
{
    return rand();
}

void crt_srand(unsigned seed)
{
    srand(seed);
}
