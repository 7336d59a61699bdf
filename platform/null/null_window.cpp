// The null backend's windows: records of what the front asked for, the one
// pixel format, and the failures and limits a test plays back.
#include "null_backend.h"

#include <algorithm>

static std::vector<backend_window*> window_list;
static backend_limits window_limits = {0, "", 0, ""};
static null_listener window_listener;

struct window_failure {
    bool armed;
    DWORD error;
    std::string text;
};
static window_failure window_failures[null_call_count];

void null_tell(const char* call, const std::vector<double>& values)
{
    if (window_listener)
        window_listener(call, values);
}

bool null_fails(null_call call)
{
    window_failure& failure = window_failures[call];
    if (!failure.armed)
        return false;
    failure.armed = false;
    layer_fail(failure.error, failure.text.c_str());
    return true;
}

void null_fail_next(null_call call, DWORD error, const char* text)
{
    window_failures[call] = {true, error, text};
}

void null_set_limits(const backend_limits& limits)
{
    window_limits = limits;
}

void null_listen(null_listener listener)
{
    window_listener = std::move(listener);
}

void null_reset()
{
    for (window_failure& failure : window_failures)
        failure.armed = false;
    window_limits = {0, "", 0, ""};
    window_listener = nullptr;
    null_reset_input();
    null_reset_contexts();
}

const std::vector<backend_window*>& null_windows()
{
    return window_list;
}

const backend_limits& backend_limits_of()
{
    return window_limits;
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
    window_list.push_back(
        new backend_window{title, style, x, y, client_x, client_y, client_width, client_height, false});
    return window_list.back();
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
    window_list.erase(std::find(window_list.begin(), window_list.end(), window));
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
