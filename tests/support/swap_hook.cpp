#include "swap_hook.h"

#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static swap_listener hook_listener = nullptr;
static long hook_swaps = 0;

void set_swap_listener(swap_listener listener)
{
    hook_listener = listener;
}

long swaps_so_far()
{
    return hook_swaps;
}

long long monotonic_ns()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// NOTE: this definition in the executable takes the place of libSDL2's for
// every call the layer makes; SDL's own is found behind it with RTLD_NEXT.
extern "C" void SDL_GL_SwapWindow(SDL_Window* window)
{
    using swap_function = void (*)(SDL_Window*);
    static swap_function sdl_swap = nullptr;
    if (!sdl_swap) {
        sdl_swap = reinterpret_cast<swap_function>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
        if (!sdl_swap) {
            fprintf(stderr, "swap_hook: SDL_GL_SwapWindow not found\n");
            abort();
        }
    }
    sdl_swap(window);
    ++hook_swaps;
    if (hook_listener)
        hook_listener(hook_swaps);
}
