// wglCreateContext/MakeCurrent/DeleteContext and SwapBuffers: the table of
// GL contexts and WGL's rules for the current one.  The backend makes,
// binds, frees and swaps the native contexts.
#include "failure_text.h"
#include "layer_common.h"

#include <string>

static void gl_none_current()
{
    layer_front.current = nullptr;
    layer_front.current_window = nullptr;
}

static bool gl_is_context(HGLRC context)
{
    for (HGLRC live : layer_front.contexts) {
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
    if (limits.contexts && layer_front.contexts.size() >= limits.contexts) {
        layer_fail(ERROR_NOT_SUPPORTED, limits.contexts_text);
        return nullptr;
    }
    // A new context is not current: WGL leaves the current one be.
    backend_context* native = backend_create_context(window->native);
    if (!native)
        return nullptr;
    HGLRC context = new win32_gl_context{native};
    layer_front.contexts.push_back(context);
    return context;
}

// Leaves no context current, in the backend and here alike.
static void gl_release()
{
    backend_release_current();
    gl_none_current();
}

BOOL WINAPI wglMakeCurrent(HDC device_context, HGLRC context)
{
    if (!context) {
        gl_release();
        return TRUE;
    }
    // A failed wglMakeCurrent leaves no context current, as WGL does: the
    // program must not draw on with the one it had.
    if (!gl_is_context(context)) {
        gl_release();
        layer_fail(ERROR_INVALID_HANDLE, "not a GL context");
        return FALSE;
    }
    HWND window = layer_drawable_window(device_context);
    if (!window || !backend_make_current(context->native, window->native)) {
        // The failure recorded is the one that happened, not the release's.
        const DWORD error = layer_front.error;
        const std::string text = last_failure_text();
        gl_release();
        layer_fail(error, text.c_str());
        return FALSE;
    }
    layer_front.current = context;
    layer_front.current_window = window;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context)
{
    if (!gl_is_context(context)) {
        layer_fail(ERROR_INVALID_HANDLE, "not a GL context");
        return FALSE;
    }
    if (layer_front.current == context)
        gl_none_current();
    backend_delete_context(context->native);
    for (size_t i = 0; i < layer_front.contexts.size(); ++i) {
        if (layer_front.contexts[i] == context) {
            layer_front.contexts.erase(layer_front.contexts.begin() + i);
            break;
        }
    }
    delete context;
    return TRUE;
}

void layer_forget_current_window(HWND window)
{
    // The context lives on, current nowhere, as when its window goes on Windows.
    if (layer_front.current_window == window)
        gl_release();
}

void layer_delete_all_contexts()
{
    if (layer_front.current)
        gl_release();
    while (!layer_front.contexts.empty())
        wglDeleteContext(layer_front.contexts.back());
}

BOOL WINAPI SwapBuffers(HDC device_context)
{
    HWND window = layer_drawable_window(device_context);
    if (!window)
        return FALSE;
    if (!layer_front.current || layer_front.current_window != window) {
        layer_fail(ERROR_INVALID_HANDLE, "no GL context is current on this window");
        return FALSE;
    }
    backend_swap(window->native);
    return TRUE;
}
