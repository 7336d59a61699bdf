#include "host_test_support.h"

#include "crt_rand.h"
#include "run_viewer.h"

#include <cstdlib>
#include <new>

bool log_array_frees = false;
std::function<void(int peek)> on_peek;

long long rand_calls = 0, rand_calls_at_window = -1;
static unsigned support_rand_state = 1;
static int support_peeks = 0;
static bool support_escaped = false;

void operator delete[](void* block) noexcept
{
    if (log_array_frees && block)
        record_call("delete[]", {});
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    operator delete[](block);
}

void* operator new[](std::size_t size)
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

// The generator, counted; the same sequence as the real one.
int crt_rand()
{
    ++rand_calls;
    support_rand_state = support_rand_state * 214013u + 2531011u;
    return static_cast<int>((support_rand_state >> 16) & 0x7FFFu);
}

void crt_srand(unsigned seed)
{
    support_rand_state = seed;
}

void reset_host_test()
{
    reset_gl_record();
    null_reset();
    on_peek = nullptr;
    rand_calls = 0;
    rand_calls_at_window = -1;
    support_rand_state = 1;
    support_peeks = 0;
    support_escaped = false;
    null_listen([](const char* call, const std::vector<double>& values) {
        record_call(call, values);
        if (std::string(call) == "create_window")
            rand_calls_at_window = rand_calls;
        // A runaway loop fails the test instead of hanging it.
        if (std::string(call) == "peek_starts" && ++support_peeks > 100000)
            PostQuitMessage(-1);
        if (std::string(call) == "peek_starts" && on_peek)
            on_peek(support_peeks - 1);
    });
}

int run_viewer_for_test(const variant_params& params)
{
    std::vector<float> grid(params.grid_size * params.grid_size);
    log_array_frees = true;
    const int status = run_viewer(nullptr, params, grid.data());
    log_array_frees = false;
    return status;
}

std::vector<std::string> logged_names()
{
    return recorded_gl_names();
}

int position_of(const std::string& name, int n)
{
    const std::vector<gl_call>& calls = recorded_gl().calls;
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].name == name && n-- == 0)
            return static_cast<int>(i);
    return -1;
}

int count_of(const std::string& name)
{
    int count = 0;
    for (const gl_call& call : recorded_gl().calls)
        count += call.name == name;
    return count;
}

std::vector<double> args_of(const std::string& name, int n)
{
    const int at = position_of(name, n);
    return at < 0 ? std::vector<double>{} : recorded_gl().calls[at].args;
}

void escape_after_frames(int frames)
{
    on_peek = [frames](int) {
        if (null_swaps() == frames && !support_escaped) {
            support_escaped = true;
            null_press_key(nullptr, VK_ESCAPE);
        }
    };
}
