// The page's half of the windows: the one window's frame shown and hidden,
// the clock, and waiting.  The page's events arrive while the program yields
// (in SwapBuffers and Sleep) and wait in the input stage; there is nothing
// to read at PeekMessageA.
#include "web_backend.h"
#include "window_frame.h"

#include <emscripten/emscripten.h>

#include <stdio.h>

const backend_limits& backend_limits_of()
{
    // The page has room for one window (the frame in page.html) and its
    // canvas for one context.
    static const backend_limits limits = {1, "the page holds one window at a time", 1,
                                          "the page's canvas has a GL context already"};
    return limits;
}

bool backend_window_possible(DWORD style, int width, int height)
{
    // NOTE: the page's frame is drawn for the caption style at one size
    // (page.html says which); other styles and sizes would need another page.
    int page_width = 0, page_height = 0, page_client_top = 0;
    web_page_window_frame(&page_width, &page_height, &page_client_top);
    const bool page_style = layer_window_frame_of_style(style).top == page_client_top;
    if (!page_style || width != page_width || height != page_height) {
        char text[64];
        snprintf(text, sizeof text, "the page holds only a %dx%d captioned window", page_width, page_height);
        layer_fail(ERROR_NOT_SUPPORTED, text);
        return false;
    }
    return true;
}

backend_window* backend_create_window(const char*, DWORD, int, int, int, int, int client_width,
                                      int client_height)
{
    return new backend_window{client_width, client_height};
}

void backend_show_window(backend_window*, const char* title)
{
    // The page's own window has the keyboard from the start, as a new
    // desktop window has the focus.
    web_page_show_window(title);
    web_listen_for_input();
}

void backend_hide_window(backend_window*)
{
    web_stop_listening();
    web_page_hide_window();
}

void backend_destroy_window(backend_window* window)
{
    // A window refused during its creation was never shown; hiding it again
    // is harmless.
    web_stop_listening();
    web_page_hide_window();
    delete window;
}

// The page's one format (index 1), double-buffered RGBA with 24 colour and
// 16 depth bits as the programs ask, is the surface's (web_gl_context.cpp),
// always there.
bool backend_choose_pixel_format(backend_window*)
{
    return true;
}

bool backend_set_pixel_format(backend_window*)
{
    return true;
}

DWORD backend_now()
{
    return static_cast<DWORD>(emscripten_get_now());
}

void backend_peek_starts()
{
}

void backend_pump_events()
{
}

// The program's stack is put aside and the browser runs (draws, hands over
// events) until the time is up.
void backend_sleep(DWORD milliseconds)
{
    web_page_sleep(milliseconds);
    web_wait_while_context_lost();
}
