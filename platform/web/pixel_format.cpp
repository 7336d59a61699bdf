// Device contexts, pixel formats and SwapBuffers.  The page offers one
// format (index 1): double-buffered RGBA, 24 colour bits, 16 depth bits,
// the one the programs ask for (see gl_context.cpp for how it is kept).
#include "layer.h"

static const int pixel_format_offered = 1;

// Frames shown so far; the page's ?frame=K stops showing them after frame K.
static int pixel_frames_shown = 0;

// While the page holds its last picture, it looks for input this often (ms).
static const int pixel_hold_poll_ms = 50;

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

static HWND pixel_format_window(HDC device_context)
{
    HWND window = layer_window_of_dc(device_context);
    if (!window)
        layer_fail(ERROR_INVALID_HANDLE, "not a device context");
    return window;
}

int WINAPI ChoosePixelFormat(HDC device_context, const PIXELFORMATDESCRIPTOR* request)
{
    if (!pixel_format_window(device_context))
        return 0;
    const DWORD needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (!request || request->iPixelType != PFD_TYPE_RGBA || (request->dwFlags & needed) != needed) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, "only an RGBA OpenGL window format is available");
        return 0;
    }
    return pixel_format_offered;
}

BOOL WINAPI SetPixelFormat(HDC device_context, int format, const PIXELFORMATDESCRIPTOR*)
{
    HWND window = pixel_format_window(device_context);
    if (!window)
        return FALSE;
    // A window's format is set once; setting the same one again is harmless.
    if (format != pixel_format_offered || (window->pixel_format && window->pixel_format != format)) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, "not the window's pixel format");
        return FALSE;
    }
    window->pixel_format = format;
    return TRUE;
}

// Shows the frame, then gives the browser its turn: it composites the
// canvas, hands over the events that came in, and calls back when the next
// frame is due.  Past the page's last frame nothing more is shown, and the
// program waits here until there is a message for it (Escape, the close
// button), so the last picture stays and nothing spins.
BOOL WINAPI SwapBuffers(HDC device_context)
{
    HWND window = pixel_format_window(device_context);
    if (!window)
        return FALSE;
    if (!window->pixel_format) {
        layer_fail(ERROR_INVALID_PIXEL_FORMAT, "the window has no pixel format");
        return FALSE;
    }
    const int limit = layer_page_frame_limit();
    if (limit < 0 || pixel_frames_shown <= limit) {
        if (!layer_present_frame(window)) {
            layer_fail(ERROR_INVALID_HANDLE, "no GL context is current on this window");
            return FALSE;
        }
        layer_page_frame_drawn(pixel_frames_shown);
        ++pixel_frames_shown;
    }
    if (limit >= 0 && pixel_frames_shown > limit) {
        while (!layer_message_waiting())
            layer_page_sleep(pixel_hold_poll_ms);
        return TRUE;
    }
    layer_page_wait_frame();
    return TRUE;
}
