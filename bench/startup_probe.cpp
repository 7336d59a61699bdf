// A viewer's start-up, phase by phase, up to its first buffer swap.
//
//   TERRAIN_LAUNCHED_NS=<CLOCK_MONOTONIC ns at launch> startup_probe PROGRAM
//
// A GUI program with the real start-up (platform/sdl/sdl_entry.cpp) that takes
// the viewer's own start-up steps (run_viewer.h; the terrain320 pause left
// out), timing each, then runs its message loop and ends it right after the
// first swap.  The time spent inside the SDL, Xlib, GL and GLU calls that
// making the window and the context involve is summed separately (our own
// entry points below stand in front of the libraries'), so that what
// remains of those steps is our own work.
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
#include <SDL_syswm.h>
#include <X11/Xlib.h>
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

// Every library call that making the window and the context involves (SDL,
// Xlib, GL, GLU): return type, name, parameters, arguments.  For each, a
// pointer to the library's own, looked up before any timing starts (a lookup
// takes tens of microseconds and is the probe's cost, not the viewer's), and
// an entry point of ours in front of it that adds its duration to
// time_in_library_ns.
#define LIBRARY_CALLS(X) \
    X(int, SDL_InitSubSystem, (Uint32 a), (a)) \
    X(SDL_Window*, SDL_CreateWindow, (const char* a, int b, int c, int d, int e, Uint32 f), (a, b, c, d, e, f)) \
    X(void, SDL_ShowWindow, (SDL_Window * a), (a)) \
    X(void, SDL_HideWindow, (SDL_Window * a), (a)) \
    X(SDL_bool, SDL_GetWindowWMInfo, (SDL_Window * a, SDL_SysWMinfo* b), (a, b)) \
    X(Uint32, SDL_GetWindowID, (SDL_Window * a), (a)) \
    X(SDL_bool, SDL_SetHint, (const char* a, const char* b), (a, b)) \
    X(const char*, SDL_GetCurrentVideoDriver, (), ()) \
    X(void, SDL_GL_ResetAttributes, (), ()) \
    X(int, SDL_GL_SetAttribute, (SDL_GLattr a, int b), (a, b)) \
    X(SDL_GLContext, SDL_GL_CreateContext, (SDL_Window * a), (a)) \
    X(int, SDL_GL_MakeCurrent, (SDL_Window * a, SDL_GLContext b), (a, b)) \
    X(int, SDL_GL_SetSwapInterval, (int a), (a)) \
    X(SDL_Window*, SDL_GL_GetCurrentWindow, (), ()) \
    X(SDL_GLContext, SDL_GL_GetCurrentContext, (), ()) \
    X(Display*, XOpenDisplay, (const char* a), (a)) \
    X(int, XCloseDisplay, (Display * a), (a)) \
    X(XErrorHandler, XSetErrorHandler, (XErrorHandler a), (a)) \
    X(XIOErrorHandler, XSetIOErrorHandler, (XIOErrorHandler a), (a)) \
    X(Atom, XInternAtom, (Display * a, const char* b, Bool c), (a, b, c)) \
    X(int, XGetWindowProperty, \
      (Display * a, Window b, Atom c, long d, long e, Bool f, Atom g, Atom* h, int* i, unsigned long* j, \
       unsigned long* k, unsigned char** l), \
      (a, b, c, d, e, f, g, h, i, j, k, l)) \
    X(int, XChangeProperty, (Display * a, Window b, Atom c, Atom d, int e, int f, const unsigned char* g, int h), \
      (a, b, c, d, e, f, g, h)) \
    X(int, XFree, (void* a), (a)) \
    X(int, XSync, (Display * a, Bool b), (a, b)) \
    X(int, XFlush, (Display * a), (a)) \
    X(void, glViewport, (GLint a, GLint b, GLsizei c, GLsizei d), (a, b, c, d)) \
    X(void, glMatrixMode, (GLenum a), (a)) \
    X(void, glLoadIdentity, (), ()) \
    X(void, gluPerspective, (GLdouble a, GLdouble b, GLdouble c, GLdouble d), (a, b, c, d)) \
    X(void, glClearColor, (GLclampf a, GLclampf b, GLclampf c, GLclampf d), (a, b, c, d)) \
    X(void, glShadeModel, (GLenum a), (a)) \
    X(void, glEnable, (GLenum a), (a))

#define DECLARE_LIBRARY_POINTER(type, name, params, args) type(*real_##name) params = nullptr;
LIBRARY_CALLS(DECLARE_LIBRARY_POINTER)

// The library function `name`, found behind ours.
void* library_function(const char* name)
{
    void* found = dlsym(RTLD_NEXT, name);
    if (!found) {
        fprintf(stderr, "startup_probe: %s not found\n", name);
        abort();
    }
    return found;
}

void resolve_library_functions()
{
#define RESOLVE_LIBRARY_POINTER(type, name, params, args) \
    real_##name = reinterpret_cast<decltype(real_##name)>(library_function(#name));
    LIBRARY_CALLS(RESOLVE_LIBRARY_POINTER)
}

// Adds the time from its construction to its end to time_in_library_ns,
// unless it is inside another library call: SDL calls Xlib through the same
// entry points as our code does, and that time is already counted.
int library_depth = 0;
struct library_timer {
    long long start_ns = library_depth++ == 0 ? monotonic_ns() : 0;
    ~library_timer()
    {
        if (--library_depth == 0)
            time_in_library_ns += monotonic_ns() - start_ns;
    }
};

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

#define TIMED_LIBRARY_CALL(type, name, params, args) \
    type name params \
    { \
        library_timer timer; \
        return real_##name args; \
    }
LIBRARY_CALLS(TIMED_LIBRARY_CALL)

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
