// With no display to show a window on, CreateWindowExA fails at once with
// "no display" or the display's name, and nothing but our own words reach stderr.  Its
// own executable: SDL must not have been started by anything before.
#include <windows.h>

#include "failure_text.h"
#include "viewer_window.h"

#include <SDL.h>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

LRESULT CALLBACK no_display_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcA(window, message, wparam, lparam);
}

struct attempt {
    HWND window;
    std::string failure;
    std::string stderr_text;
    std::chrono::steady_clock::duration took;
};

// Creates the programs' window with stderr captured in a file.
attempt create_window_capturing_stderr()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA window_class = {};
        window_class.style = CS_OWNDC;
        window_class.lpfnWndProc = no_display_procedure;
        window_class.lpszClassName = "no_display";
        registered = RegisterClassA(&window_class) != 0;
    }
    char path[] = "/tmp/no_display_stderr_XXXXXX";
    const int capture = mkstemp(path);
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture, STDERR_FILENO);

    attempt result;
    const auto start = std::chrono::steady_clock::now();
    result.window = CreateWindowExA(0, "no_display", viewer_window_title, viewer_window_style | WS_VISIBLE, 0, 0,
                                    viewer_window_width, viewer_window_height, nullptr, nullptr, nullptr, nullptr);
    result.took = std::chrono::steady_clock::now() - start;
    result.failure = last_failure_text();

    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    char text[512] = "";
    const ssize_t length = pread(capture, text, sizeof text - 1, 0);
    result.stderr_text.assign(text, length > 0 ? static_cast<size_t>(length) : 0);
    close(capture);
    unlink(path);
    return result;
}

void expect_no_display(const attempt& result, const char* failure = "no display")
{
    EXPECT_EQ(result.window, nullptr);
    EXPECT_EQ(result.failure, failure);
    EXPECT_EQ(result.stderr_text, "");
    // The one line must come promptly, not after a driver's long time-out;
    // the bound leaves room for a loaded machine (it takes milliseconds).
    EXPECT_LT(result.took, std::chrono::seconds(5));
}

TEST(no_display, without_any_display_variable_creation_fails_without_starting_sdl)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));  // no window yet: SDL is not touched
    expect_no_display(create_window_capturing_stderr());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
}

TEST(no_display, an_unusable_display_is_named_in_one_short_line)
{
    // NOTE: SDL falls back on its offscreen driver when X11 and Wayland both
    // fail, and libwayland complains about XDG_RUNTIME_DIR on stderr.
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("XDG_RUNTIME_DIR");
    const std::pair<std::string, std::string> names[] = {{":173", "\":173\": no X server answers there"},
        {std::string(5000, '\n'), '"' + std::string(32, '?') + "...\": not a display name ([host]:number[.screen])"}};
    for (const auto& [display, shown] : names) {
        setenv("DISPLAY", display.c_str(), 1);
        expect_no_display(create_window_capturing_stderr(), ("cannot open the X display " + shown).c_str());
    }
    unsetenv("DISPLAY");
    setenv("WAYLAND_DISPLAY", "/none/wayland-1", 1);
    expect_no_display(create_window_capturing_stderr(),
                      "cannot connect to the Wayland display \"/none/wayland-1\": no compositor answers there");
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

}  // namespace
