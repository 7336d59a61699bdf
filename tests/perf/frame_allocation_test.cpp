// Heap allocations made by our own code while a viewer draws: none after
// start-up.  Each program's real run_viewer runs through the real layer on
// SDL's offscreen driver; an allocation hook counts, between two chosen
// swaps, every allocation whose caller lies in this executable (the host,
// the scene, the layer and what they inline; SDL, GL and the C++ runtime are
// shared libraries).  SIGTERM then ends the run as a close request.

#include "../../platform/posix/posix.h"
#include "swap_hook.h"
#include "run_viewer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <signal.h>
#include <stdlib.h>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
// The bounds of this executable's code, from the linker.
extern const char __executable_start[];
extern const char etext[];
}

namespace {

std::atomic<bool> counting{false};
std::atomic<long> our_allocations{0};
std::atomic<long> all_operator_new{0};

bool caller_is_ours(const void* caller)
{
    const char* address = static_cast<const char*>(caller);
    return address >= __executable_start && address < etext;
}

void note_allocation(const void* caller)
{
    if (counting.load(std::memory_order_relaxed) && caller_is_ours(caller))
        our_allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

// The hook: C allocations from our code go through these, then glibc's own.
extern "C" void* malloc(size_t size)
{
    note_allocation(__builtin_return_address(0));
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    note_allocation(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    note_allocation(__builtin_return_address(0));
    return __libc_realloc(block, size);
}

extern "C" void free(void* block)
{
    __libc_free(block);
}

// C++ allocations: operator new is ours when its caller is, and it is also
// counted from anywhere, so that a libstdc++ routine allocating for our
// code (a string, a container) is seen too.
static void* counted_new(size_t size, const void* caller)
{
    note_allocation(caller);
    if (counting.load(std::memory_order_relaxed))
        all_operator_new.fetch_add(1, std::memory_order_relaxed);
    void* block = __libc_malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* operator new(size_t size)
{
    return counted_new(size, __builtin_return_address(0));
}

void* operator new[](size_t size)
{
    return counted_new(size, __builtin_return_address(0));
}

void operator delete(void* block) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block) noexcept
{
    __libc_free(block);
}

void operator delete(void* block, size_t) noexcept
{
    __libc_free(block);
}

void operator delete[](void* block, size_t) noexcept
{
    __libc_free(block);
}

namespace {

long warmup_frames = 0;
long counted_frames = 0;

// Starts counting after the warm-up, stops after the counted frames and
// asks the viewer to close.
void on_swap(long swaps)
{
    if (swaps == warmup_frames) {
        our_allocations = 0;
        all_operator_new = 0;
        counting = true;
    } else if (swaps == warmup_frames + counted_frames) {
        counting = false;
        raise(SIGTERM);
    }
}

struct frame_allocations {
    int status;
    long swaps;
    long ours;
    long operator_new;
};

frame_allocations run_counting(const variant_params& program, long warmup, long frames)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    posix_install_signal_handlers();
    warmup_frames = warmup;
    counted_frames = frames;
    set_swap_listener(on_swap);
    variant_params params = program;
    params.start_delay_ms = no_pause;  // the pause is before start-up; nothing to count there
    float grid[32 * 32];
    const int status = run_viewer(nullptr, params, grid);
    set_swap_listener(nullptr);
    return {status, swaps_so_far(), our_allocations.load(), all_operator_new.load()};
}

void expect_no_allocations(const frame_allocations& run, long frames_needed)
{
    EXPECT_EQ(run.status, 0);
    EXPECT_GE(run.swaps, frames_needed);
    EXPECT_EQ(run.ours, 0) << "allocations by our code during the frames";
    EXPECT_EQ(run.operator_new, 0) << "operator new calls during the frames";
}

// Each case is its own process (gtest_discover_tests), with its own layer.
TEST(frame_allocations, terrain320_allocates_nothing_per_frame)
{
    expect_no_allocations(run_counting(terrain320_params, 5, 40), 45);
}

TEST(frame_allocations, terrain128_allocates_nothing_per_frame)
{
    expect_no_allocations(run_counting(terrain128_params, 10, 300), 310);
}

TEST(frame_allocations, terrain32_allocates_nothing_per_frame_with_its_pauses)
{
    expect_no_allocations(run_counting(terrain32_params, 10, 1000), 1010);
}

// The hook itself works: an allocation by this file between the swaps is
// seen, so a zero above is not a hook that never fires.
TEST(frame_allocations, the_hook_sees_an_allocation_by_our_code)
{
    counting = true;
    our_allocations = 0;
    void* block = malloc(64);
    int* value = new int(7);
    counting = false;
    free(block);
    delete value;
    EXPECT_EQ(our_allocations.load(), 2);
}

}  // namespace
