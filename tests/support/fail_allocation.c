/* Preloaded into a program (LD_PRELOAD) to make its allocator run out of
 * memory: once FAIL_ALLOCATION_AFTER (default 0) blocks of exactly
 * FAIL_ALLOCATION_SIZE bytes have been handed out, every further request of
 * that size fails, as it would with the memory used up. */
#include <stdlib.h>

extern void* __libc_malloc(size_t size);

void* malloc(size_t size)
{
    static long failing_size = -1;
    static long allowed = 0;
    if (failing_size < 0) {
        const char* size_text = getenv("FAIL_ALLOCATION_SIZE");
        const char* after_text = getenv("FAIL_ALLOCATION_AFTER");
        failing_size = size_text ? atol(size_text) : 0;
        allowed = after_text ? atol(after_text) : 0;
    }
    if (failing_size > 0 && size == (size_t)failing_size && allowed-- <= 0)
        return NULL;
    return __libc_malloc(size);
}
