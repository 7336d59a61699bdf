// A viewer's start-up, phase by phase, up to its first buffer swap.
//
//   TERRAIN_LAUNCHED_NS=<CLOCK_MONOTONIC ns at launch> startup_probe PROGRAM
//
// A GUI program with the real start-up (platform/sdl/entry.cpp) that takes
// the viewer's own start-up steps (run_viewer.h; the terrain320 pause left
// out), timing each, then runs its message loop and ends it right after the
// first swap.  The time spent inside the
// SDL, GL and GLU calls that making the window and the context involve is
// summed separately (our own entry points below stand in front of the
// libraries'), so that what remains of those steps is our own work.
//
// Prints one line of "name value" pairs, all in milliseconds:
//   to_main       launch to WinMain: exec, dynamic loading, the entry's set-up
//   field         the terrain step: start_camera and build_height_field
//   window        the window step; window_library of it inside the libraries
//   context       the render-context step; context_library of it inside the libraries
//   first_frame   the loop up to the end of the first SwapBuffers
//   own           field + (window - window_library) + (context - context_library)
//   total         launch to the end of the first swap
// and, last, the page faults the height field's build took (a count).

#include "run_viewer.h"
#include "swap_hook.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>

namespace {

long long time_in_library_ns = 0;
long long first_swap_ns = 0;

// Notes the end of the first swap and asks the loop to end: the quit
// message is retrieved on the loop's next pass, after the frame's last step.
void on_swap(long swaps)
{
    if (swaps == 1) {
        first_swap_ns = monotonic_ns();
        PostQuitMessage(0);
    }
}

// The library function `name`, found behind ours.
template <typename Function>
Function library_function(const char* name)
{
    void* found = dlsym(RTLD_NEXT, name);
    if (!found) {
        fprintf(stderr, "startup_probe: %s not found\n", name);
        abort();
    }
    return reinterpret_cast<Function>(found);
}

// Runs `call` and adds its duration to time_in_library_ns.
template <typename Call>
auto timed_in_library(Call call)
{
    const long long start = monotonic_ns();
    auto result = call();
    time_in_library_ns += monotonic_ns() - start;
    return result;
}

// The libraries' own entry points, looked up before any timing starts (a
// lookup takes tens of microseconds and is the probe's cost, not the viewer's).
int (*real_SDL_InitSubSystem)(Uint32) = nullptr;
SDL_Window* (*real_SDL_CreateWindow)(const char*, int, int, int, int, Uint32) = nullptr;
void (*real_SDL_ShowWindow)(SDL_Window*) = nullptr;
SDL_GLContext (*real_SDL_GL_CreateContext)(SDL_Window*) = nullptr;
int (*real_SDL_GL_MakeCurrent)(SDL_Window*, SDL_GLContext) = nullptr;
int (*real_SDL_GL_SetSwapInterval)(int) = nullptr;
SDL_bool (*real_SDL_SetHint)(const char*, const char*) = nullptr;
void (*real_SDL_GL_ResetAttributes)() = nullptr;
int (*real_SDL_GL_SetAttribute)(SDL_GLattr, int) = nullptr;
const char* (*real_SDL_GetCurrentVideoDriver)() = nullptr;
Uint32 (*real_SDL_GetWindowID)(SDL_Window*) = nullptr;
SDL_Window* (*real_SDL_GL_GetCurrentWindow)() = nullptr;
SDL_GLContext (*real_SDL_GL_GetCurrentContext)() = nullptr;
void (*real_glViewport)(GLint, GLint, GLsizei, GLsizei) = nullptr;
void (*real_glMatrixMode)(GLenum) = nullptr;
void (*real_glLoadIdentity)() = nullptr;
void (*real_gluPerspective)(GLdouble, GLdouble, GLdouble, GLdouble) = nullptr;
void (*real_glClearColor)(GLclampf, GLclampf, GLclampf, GLclampf) = nullptr;
void (*real_glShadeModel)(GLenum) = nullptr;
void (*real_glEnable)(GLenum) = nullptr;

void resolve_library_functions()
{
    real_SDL_InitSubSystem = library_function<int (*)(Uint32)>("SDL_InitSubSystem");
    real_SDL_CreateWindow = library_function<SDL_Window* (*)(const char*, int, int, int, int, Uint32)>("SDL_CreateWindow");
    real_SDL_ShowWindow = library_function<void (*)(SDL_Window*)>("SDL_ShowWindow");
    real_SDL_GL_CreateContext = library_function<SDL_GLContext (*)(SDL_Window*)>("SDL_GL_CreateContext");
    real_SDL_GL_MakeCurrent = library_function<int (*)(SDL_Window*, SDL_GLContext)>("SDL_GL_MakeCurrent");
    real_SDL_GL_SetSwapInterval = library_function<int (*)(int)>("SDL_GL_SetSwapInterval");
    real_SDL_SetHint = library_function<SDL_bool (*)(const char*, const char*)>("SDL_SetHint");
    real_SDL_GL_ResetAttributes = library_function<void (*)()>("SDL_GL_ResetAttributes");
    real_SDL_GL_SetAttribute = library_function<int (*)(SDL_GLattr, int)>("SDL_GL_SetAttribute");
    real_SDL_GetCurrentVideoDriver = library_function<const char* (*)()>("SDL_GetCurrentVideoDriver");
    real_SDL_GetWindowID = library_function<Uint32 (*)(SDL_Window*)>("SDL_GetWindowID");
    real_SDL_GL_GetCurrentWindow = library_function<SDL_Window* (*)()>("SDL_GL_GetCurrentWindow");
    real_SDL_GL_GetCurrentContext = library_function<SDL_GLContext (*)()>("SDL_GL_GetCurrentContext");
    real_glViewport = library_function<void (*)(GLint, GLint, GLsizei, GLsizei)>("glViewport");
    real_glMatrixMode = library_function<void (*)(GLenum)>("glMatrixMode");
    real_glLoadIdentity = library_function<void (*)()>("glLoadIdentity");
    real_gluPerspective = library_function<void (*)(GLdouble, GLdouble, GLdouble, GLdouble)>("gluPerspective");
    real_glClearColor = library_function<void (*)(GLclampf, GLclampf, GLclampf, GLclampf)>("glClearColor");
    real_glShadeModel = library_function<void (*)(GLenum)>("glShadeModel");
    real_glEnable = library_function<void (*)(GLenum)>("glEnable");
}

long minor_faults()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

double ms(long long ns)
{
    return ns / 1e6;
}

}  // namespace

extern "C" {

int SDL_InitSubSystem(Uint32 a)
{
    return timed_in_library([&] { return real_SDL_InitSubSystem(a); });
}

SDL_Window* SDL_CreateWindow(const char* a, int b, int c, int d, int e, Uint32 f)
{
    return timed_in_library([&] { return real_SDL_CreateWindow(a, b, c, d, e, f); });
}

void SDL_ShowWindow(SDL_Window* a)
{
    timed_in_library([&] {
        real_SDL_ShowWindow(a);
        return 0;
    });
}

SDL_GLContext SDL_GL_CreateContext(SDL_Window* a)
{
    return timed_in_library([&] { return real_SDL_GL_CreateContext(a); });
}

int SDL_GL_MakeCurrent(SDL_Window* a, SDL_GLContext b)
{
    return timed_in_library([&] { return real_SDL_GL_MakeCurrent(a, b); });
}

int SDL_GL_SetSwapInterval(int a)
{
    return timed_in_library([&] { return real_SDL_GL_SetSwapInterval(a); });
}

SDL_bool SDL_SetHint(const char* a, const char* b)
{
    return timed_in_library([&] { return real_SDL_SetHint(a, b); });
}

void SDL_GL_ResetAttributes()
{
    timed_in_library([&] {
        real_SDL_GL_ResetAttributes();
        return 0;
    });
}

int SDL_GL_SetAttribute(SDL_GLattr a, int b)
{
    return timed_in_library([&] { return real_SDL_GL_SetAttribute(a, b); });
}

const char* SDL_GetCurrentVideoDriver()
{
    return timed_in_library([&] { return real_SDL_GetCurrentVideoDriver(); });
}

Uint32 SDL_GetWindowID(SDL_Window* a)
{
    return timed_in_library([&] { return real_SDL_GetWindowID(a); });
}

SDL_Window* SDL_GL_GetCurrentWindow()
{
    return timed_in_library([&] { return real_SDL_GL_GetCurrentWindow(); });
}

SDL_GLContext SDL_GL_GetCurrentContext()
{
    return timed_in_library([&] { return real_SDL_GL_GetCurrentContext(); });
}

void glViewport(GLint a, GLint b, GLsizei c, GLsizei d)
{
    timed_in_library([&] {
        real_glViewport(a, b, c, d);
        return 0;
    });
}

void glMatrixMode(GLenum a)
{
    timed_in_library([&] {
        real_glMatrixMode(a);
        return 0;
    });
}

void glLoadIdentity()
{
    timed_in_library([&] {
        real_glLoadIdentity();
        return 0;
    });
}

void gluPerspective(GLdouble a, GLdouble b, GLdouble c, GLdouble d)
{
    timed_in_library([&] {
        real_gluPerspective(a, b, c, d);
        return 0;
    });
}

void glClearColor(GLclampf a, GLclampf b, GLclampf c, GLclampf d)
{
    timed_in_library([&] {
        real_glClearColor(a, b, c, d);
        return 0;
    });
}

void glShadeModel(GLenum a)
{
    timed_in_library([&] {
        real_glShadeModel(a);
        return 0;
    });
}

void glEnable(GLenum a)
{
    timed_in_library([&] {
        real_glEnable(a);
        return 0;
    });
}

}  // extern "C"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int)
{
    resolve_library_functions();
    const long long main_ns = monotonic_ns();
    const char* launched = getenv("TERRAIN_LAUNCHED_NS");
    const long long launched_ns = launched ? atoll(launched) : main_ns;
    const variant_params* params = find_variant_params(command_line);
    if (!params) {
        fprintf(stderr, "usage: startup_probe PROGRAM\n");
        return 2;
    }
    set_swap_listener(on_swap);
    float grid[32 * 32];
    viewer_run run = prepare_viewer_run(instance, *params, grid);

    // Each step's end, and the part of it spent inside the libraries.
    long long step_end_ns[startup_step_count] = {};
    long long step_library_ns[startup_step_count] = {};
    long field_faults = 0;
    while (run.steps_taken < startup_step_count) {
        const int step = run.steps_taken;
        const long faults_before = step == startup_terrain ? minor_faults() : 0;
        time_in_library_ns = 0;
        if (const char* failure = take_next_startup_step(run)) {
            fprintf(stderr, "startup_probe: %s\n", failure);
            end_viewer_run(run);
            return 1;
        }
        step_end_ns[step] = monotonic_ns();
        step_library_ns[step] = time_in_library_ns;
        if (step == startup_terrain)
            field_faults = minor_faults() - faults_before;
    }
    const int status = run_message_loop(run);
    end_viewer_run(run);
    if (status != 0 || first_swap_ns == 0)
        return 1;

    const long long field_ns = step_end_ns[startup_terrain];
    const long long window_ns = step_end_ns[startup_window];
    const long long context_ns = step_end_ns[startup_render_context];
    const long long window_library_ns = step_library_ns[startup_window];
    const long long context_library_ns = step_library_ns[startup_render_context];
    const long long own_ns = (field_ns - main_ns) + (window_ns - field_ns - window_library_ns) +
                             (context_ns - window_ns - context_library_ns);
    printf("startup %s to_main %.3f field %.3f window %.3f window_library %.3f context %.3f context_library %.3f "
           "first_frame %.3f own %.3f total %.3f field_faults %ld\n",
           params->program_name, ms(main_ns - launched_ns), ms(field_ns - main_ns), ms(window_ns - field_ns),
           ms(window_library_ns), ms(context_ns - window_ns), ms(context_library_ns), ms(first_swap_ns - context_ns),
           ms(own_ns), ms(first_swap_ns - launched_ns), field_faults);
    return 0;
}
