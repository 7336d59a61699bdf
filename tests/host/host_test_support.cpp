#include "host_test_support.h"

#include "run_viewer.h"

#include <cstdlib>
#include <new>

bool log_array_frees = false;

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

int run_viewer_for_test(const variant_params& params)
{
    std::vector<float> grid(params.grid_size * params.grid_size);
    log_array_frees = true;
    const int status = run_viewer(fake_instance(), params, grid.data());
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
    fake_win32().on_peek = [frames](int) {
        if (fake_win32().swaps == frames && fake_win32().posted.empty() && !fake_win32().quit_requested)
            fake_post_input(WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    };
}
