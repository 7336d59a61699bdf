// Device contexts and pixel formats.  Each window was made with the one
// format its backend offers, so choosing and setting a format only reports
// and accepts index 1, once the backend agrees.
#include "layer_common.h"

static const int pixel_format_offered = 1;

HDC WINAPI GetDC(HWND window)
{
    if (!layer_is_window(window)) {
        layer_fail(window ? ERROR_INVALID_WINDOW_HANDLE : ERROR_NOT_SUPPORTED,
                   window ? "not a window" : "the screen has no device context here");
        return nullptr;
    }
    // Every window has its own DC (CS_OWNDC), the same one every time.
    return &window->device_context;
}

int WINAPI ReleaseDC(HWND window, HDC device_context)
{
    // A private DC stays with its window: releasing it changes nothing.
    HWND owner = layer_window_of_dc(device_context);
    if (!owner || (window && owner != window)) {
        layer_fail(ERROR_INVALID_HANDLE, "not this window's device context");
        return 0;
    }
    return 1;
}

// A window needs its device context and a format set before GL can use it.
static HWND pixel_format_window(HDC device_context)
{
    HWND window = layer_window_of_dc(device_context);
    if (!window)
        layer_fail(ERROR_INVALID_HANDLE, "not a device context");
    return window;
}

int WINAPI ChoosePixelFormat(HDC device_context, const PIXELFORMATDESCRIPTOR* request)
{
    HWND window = pixel_format_window(device_context);
    if (!window)
        return 0;
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (!request || request->iPixelType != PFD_TYPE_RGBA || (request->dwFlags & needed) != needed) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, "only an RGBA OpenGL window format is available");
        return 0;
    }
    return backend_choose_pixel_format(window->native) ? pixel_format_offered : 0;
}

BOOL WINAPI SetPixelFormat(HDC device_context, int format, const PIXELFORMATDESCRIPTOR*)
{
    HWND window = pixel_format_window(device_context);
    if (!window)
        return FALSE;
    // A window's format is set once; setting the same one again is harmless.
    const int current = device_context->pixel_format;
    if (format != pixel_format_offered || (current && current != format)) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, "not the window's pixel format");
        return FALSE;
    }
    if (!current && !backend_set_pixel_format(window->native))
        return FALSE;
    device_context->pixel_format = format;
    return TRUE;
}

HWND layer_drawable_window(HDC device_context)
{
    HWND window = pixel_format_window(device_context);
    if (!window)
        return nullptr;
    if (!device_context->pixel_format) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, "the window has no pixel format");
        return nullptr;
    }
    return window;
}
