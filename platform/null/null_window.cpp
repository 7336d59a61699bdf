// The null backend's windows: records of what the front asked for, the one
// pixel format, and the failures and limits a test plays back.
#include "null_backend.h"

#include <algorithm>

null_state null;

void null_tell(const char* call, const std::vector<double>& values)
{
    if (null.listener)
        null.listener(call, values);
}

bool null_fails(null_call call)
{
    null_failure& failure = null.failures[call];
    if (!failure.armed)
        return false;
    failure.armed = false;
    layer_fail(failure.error, failure.text.c_str());
    return true;
}

void null_fail_next(null_call call, DWORD error, const char* text)
{
    null.failures[call] = {true, error, text};
}

void null_set_limits(const backend_limits& limits)
{
    null.limits = limits;
}

void null_listen(null_listener listener)
{
    null.listener = std::move(listener);
}

void null_reset()
{
    // The front frees what is left through the calls down, which no listener
    // of the case just ended should hear.
    null.listener = nullptr;
    layer_reset_front();
    null = null_state();
}

const std::vector<backend_window*>& null_windows()
{
    return null.windows;
}

const backend_limits& backend_limits_of()
{
    return null.limits;
}

bool backend_window_possible(DWORD style, int width, int height)
{
    null_tell("window_possible", {double(style), double(width), double(height)});
    return !null_fails(null_window_possible);
}

backend_window* backend_create_window(const char* title, DWORD style, int x, int y, int client_x,
                                      int client_y, int client_width, int client_height)
{
    null_tell("create_window", {double(style), double(x), double(y), double(client_x), double(client_y),
                                double(client_width), double(client_height)});
    if (null_fails(null_create_window))
        return nullptr;
    null.windows.push_back(
        new backend_window{title, style, x, y, client_x, client_y, client_width, client_height, false});
    return null.windows.back();
}

void backend_show_window(backend_window* window, const char*)
{
    null_tell("show_window");
    window->shown = true;
}

void backend_hide_window(backend_window* window)
{
    null_tell("hide_window");
    window->shown = false;
}

void backend_destroy_window(backend_window* window)
{
    null_tell("destroy_window");
    null.windows.erase(std::find(null.windows.begin(), null.windows.end(), window));
    delete window;
}

bool backend_choose_pixel_format(backend_window*)
{
    null_tell("choose_pixel_format");
    return !null_fails(null_choose_pixel_format);
}

bool backend_set_pixel_format(backend_window*)
{
    null_tell("set_pixel_format");
    return !null_fails(null_set_pixel_format);
}
