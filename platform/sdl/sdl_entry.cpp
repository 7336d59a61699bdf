// The C runtime start-up of the GUI programs: main calls WinMain.
#include "sdl_backend.h"

#include <windows.h>

#include <SDL.h>
#include <errno.h>
#include <malloc.h>
#include <string>

struct win32_instance {
    int unused;
};
static win32_instance entry_instance;

// NOTE: Mesa's software rasteriser allocates its big per-frame buffers anew
// each frame; with glibc's defaults they are mmapped and unmapped (or trimmed)
// every time and re-faulted, about 12 ms a frame instead of 7.  Keep them in
// the heap.  Must run before anything loads SDL or GL.
static void entry_keep_large_blocks()
{
    const int mebibyte = 1024 * 1024;
    // The largest threshold glibc takes is 32 MiB on 64-bit systems and less
    // on 32-bit ones: halve until it is accepted.
    for (int threshold = 32 * mebibyte; threshold >= mebibyte; threshold /= 2) {
        if (mallopt(M_MMAP_THRESHOLD, threshold))
            break;
    }
    mallopt(M_TRIM_THRESHOLD, 128 * mebibyte);
}

// Windows passes the command line without the program name.
static std::string entry_command_tail(int argc, char** argv)
{
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            tail += ' ';
        tail += argv[i];
    }
    return tail;
}

int main(int argc, char** argv)
{
    posix_open_standard_streams();
    entry_keep_large_blocks();
    posix_install_signal_handlers();
    layer_set_program_name(program_invocation_short_name);
    std::string command_line = entry_command_tail(argc, argv);
    const int result = WinMain(&entry_instance, nullptr, &command_line[0], SW_SHOWDEFAULT);
    // NOTE: SDL_Quit destroys the windows left, which waits for ever on a
    // lost X display (sdl_window.cpp).
    if (!sdl_x11_display_lost())
        SDL_Quit();
    // Returning (not _exit) lets exit run the profiler's gmon.out writer.
    return layer_run_status(result);
}
