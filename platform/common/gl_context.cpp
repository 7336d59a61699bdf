// wglCreateContext/MakeCurrent/DeleteContext and SwapBuffers: the table of
// GL contexts and WGL's rules for the current one.  The backend makes,
// binds, frees and swaps the native contexts.
#include "layer_common.h"

struct win32_gl_context {
    backend_context* native;
};

static std::vector<HGLRC> gl_contexts;
// The context current on the thread and the window it draws to; NULL, NULL
// when none is.
static HGLRC gl_current = nullptr;
static HWND gl_current_window = nullptr;

static void gl_none_current()
{
    gl_current = nullptr;
    gl_current_window = nullptr;
}

static bool gl_is_context(HGLRC context)
{
    for (HGLRC live : gl_contexts) {
        if (live == context)
            return true;
    }
    return false;
}

HGLRC WINAPI wglCreateContext(HDC device_context)
{
    HWND window = layer_drawable_window(device_context);
    if (!window)
        return nullptr;
    const backend_limits& limits = backend_limits_of();
    if (limits.contexts && gl_contexts.size() >= limits.contexts) {
        layer_fail(ERROR_NOT_SUPPORTED, limits.contexts_text);
        return nullptr;
    }
    // A new context is not current: WGL leaves the current one be.
    backend_context* native = backend_create_context(window->native);
    if (!native)
        return nullptr;
    HGLRC context = new win32_gl_context{native};
    gl_contexts.push_back(context);
    return context;
}

BOOL WINAPI wglMakeCurrent(HDC device_context, HGLRC context)
{
    if (!context) {
        backend_release_current();
        gl_none_current();
        return TRUE;
    }
    if (!gl_is_context(context)) {
        layer_fail(ERROR_INVALID_HANDLE, "not a GL context");
        return FALSE;
    }
    HWND window = layer_drawable_window(device_context);
    if (!window)
        return FALSE;
    if (!backend_make_current(context->native, window->native))
        return FALSE;
    gl_current = context;
    gl_current_window = window;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context)
{
    if (!gl_is_context(context)) {
        layer_fail(ERROR_INVALID_HANDLE, "not a GL context");
        return FALSE;
    }
    if (gl_current == context)
        gl_none_current();
    backend_delete_context(context->native);
    for (size_t i = 0; i < gl_contexts.size(); ++i) {
        if (gl_contexts[i] == context) {
            gl_contexts.erase(gl_contexts.begin() + i);
            break;
        }
    }
    delete context;
    return TRUE;
}

void layer_forget_current_window(HWND window)
{
    // The context lives on, current nowhere, as when its window goes on Windows.
    if (gl_current_window == window) {
        backend_release_current();
        gl_none_current();
    }
}

BOOL WINAPI SwapBuffers(HDC device_context)
{
    HWND window = layer_drawable_window(device_context);
    if (!window)
        return FALSE;
    if (!gl_current || gl_current_window != window) {
        layer_fail(ERROR_INVALID_HANDLE, "no GL context is current on this window");
        return FALSE;
    }
    backend_swap(window->native);
    return TRUE;
}
