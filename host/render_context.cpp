#include "render_context.h"

#include <string.h>

// Gives back what a failed set-up took and returns `what`.  The failed call's
// error is read before the clean-up calls can overwrite it, and stays the
// last error for the failure report.
static const char* give_up(HWND window, HDC device_context, HGLRC rendering_context, const char* what)
{
    const DWORD error = GetLastError();
    if (rendering_context != NULL)
        wglDeleteContext(rendering_context);
    ReleaseDC(window, device_context);
    SetLastError(error);
    return what;
}

PIXELFORMATDESCRIPTOR viewer_pixel_format()
{
    PIXELFORMATDESCRIPTOR request;
    memset(&request, 0, sizeof request);
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 24;
    request.cDepthBits = 16;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

const char* setup_render_context(HWND window, HDC* device_context_out, HGLRC* rendering_context_out)
{
    HDC device_context = GetDC(window);
    *device_context_out = device_context;
    *rendering_context_out = NULL;

    const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
    const int format = ChoosePixelFormat(device_context, &request);
    if (format == 0)
        return give_up(window, device_context, NULL, "cannot find a pixel format");
    if (!SetPixelFormat(device_context, format, &request))
        return give_up(window, device_context, NULL, "cannot set the pixel format");
    HGLRC rendering_context = wglCreateContext(device_context);
    if (rendering_context == NULL)
        return give_up(window, device_context, NULL, "cannot create the GL context");
    if (!wglMakeCurrent(device_context, rendering_context))
        return give_up(window, device_context, rendering_context, "cannot make the GL context current");
    *rendering_context_out = rendering_context;
    set_fixed_gl_state();
    return NULL;
}

void release_render_context(HWND window, HDC device_context, HGLRC rendering_context)
{
    wglMakeCurrent(NULL, NULL);
    wglDeleteContext(rendering_context);
    ReleaseDC(window, device_context);
}
