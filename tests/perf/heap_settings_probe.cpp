// A GUI program, started by the real start-up (platform/sdl/sdl_entry.cpp), that
// checks that the malloc settings the start-up makes are in force by the time
// WinMain runs: a block the size of Mesa's per-frame buffers comes from the
// heap, not from its own mapping, and freeing it gives nothing back to the
// kernel.  Exits 0 when both hold, 1 (with what failed) otherwise.

#include <windows.h>

#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>

// The block goes through here, so that no compiler can drop the malloc and
// free pair as unused (GCC 16 does).
static char* volatile observed_block;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const size_t block_size = 16 * 1024 * 1024;
    observed_block = static_cast<char*>(malloc(block_size));
    char* block = observed_block;
    if (!block)
        return 1;
    block[0] = block[block_size - 1] = 1;
    const struct mallinfo2 in_use = mallinfo2();
    free(observed_block);
    const struct mallinfo2 after_free = mallinfo2();

    int status = 0;
    if (in_use.hblks != 0) {
        printf("a 16 MiB block was given its own mapping (%zu mapped blocks)\n", in_use.hblks);
        status = 1;
    }
    if (after_free.arena < block_size) {
        printf("freeing a 16 MiB block shrank the heap to %zu bytes\n", after_free.arena);
        status = 1;
    }
    return status;
}
