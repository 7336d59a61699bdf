// The layer on a real X server (an Xvfb these tests start themselves, with no
// window manager): the window's place, the GL visual fixed at creation, real
// key presses, and the window manager's close request.
// NOTE: gtest first: Xlib's macros (None, Bool) break its templates.
#include <gtest/gtest.h>

#include "test_window.h"

#include "failure_text.h"
#include "window_frame.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <chrono>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t xvfb_pid = -1;

class x11 : public ::testing::Test {
protected:
    // One X server for the suite, on a display number of its own (tests run
    // in parallel, each its own process); it reports the number on a pipe
    // once it accepts connections.
    static bool start_xvfb(int number)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return false;
        xvfb_pid = fork();
        if (xvfb_pid == 0) {
            close(ready[0]);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDERR_FILENO);
            const std::string display = ":" + std::to_string(number);
            const std::string fd = std::to_string(ready[1]);
            execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        // NOTE: the server writes the number and its newline separately and
        // dies if the pipe is closed in between: read up to the newline.
        std::string reported;
        char byte = 0;
        while (read(ready[0], &byte, 1) == 1 && byte != '\n')
            reported += byte;
        close(ready[0]);
        if (byte != '\n') {
            waitpid(xvfb_pid, nullptr, 0);
            xvfb_pid = -1;
            return false;
        }
        setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        unsetenv("WAYLAND_DISPLAY");
        return true;
    }
    static void SetUpTestSuite()
    {
        for (int attempt = 0; attempt < 8; ++attempt) {
            if (start_xvfb(100 + (getpid() + attempt * 97) % 800))
                return;
        }
    }
    static void TearDownTestSuite()
    {
        SDL_Quit();
        if (xvfb_pid > 0) {
            kill(xvfb_pid, SIGTERM);
            waitpid(xvfb_pid, nullptr, 0);
        }
    }

    void SetUp() override
    {
        ASSERT_GT(xvfb_pid, 0);
        window = make_test_window();
        ASSERT_NE(window, nullptr) << last_failure_text();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(only_sdl_window(), &info));
        x_window = info.info.x11.window;
        x_display = XOpenDisplay(nullptr);
        ASSERT_NE(x_display, nullptr);
        pump_for(std::chrono::milliseconds(200));  // let the window be mapped
        recorded.clear();
    }
    void TearDown() override
    {
        if (x_display)
            XCloseDisplay(x_display);
        clean_up_windows();
    }

    // Runs the programs' loop for a while; true if WM_QUIT came.
    bool pump_for(std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT)
                    return true;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            Sleep(5);
        }
        return false;
    }

    // Presses keys through the XTEST extension with the pointer over the
    // window: without a window manager the focus follows the pointer.
    void press(const char* keys)
    {
        const std::string command = "xdotool mousemove 200 200 key " + std::string(keys);
        ASSERT_EQ(system(command.c_str()), 0);
    }

    HWND window = nullptr;
    Window x_window = 0;
    Display* x_display = nullptr;
};

TEST_F(x11, the_client_area_sits_inside_the_classic_frame_at_the_top_left)
{
    Window child;
    int x = -1, y = -1;
    XTranslateCoordinates(x_display, x_window, DefaultRootWindow(x_display), 0, 0, &x, &y, &child);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(x_display, x_window, &attributes));
    const layer_window_frame frame = layer_window_frame_of_style(program_style);
    EXPECT_EQ(x, frame.left);
    EXPECT_EQ(y, frame.top);
    EXPECT_EQ(attributes.width, viewer_window_width - frame.left - frame.right);
    EXPECT_EQ(attributes.height, viewer_window_height - frame.top - frame.bottom);
    EXPECT_EQ(attributes.map_state, IsViewable);
}

TEST_F(x11, the_visual_has_the_programs_format_from_creation)
{
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.cColorBits = 24;
    request.cDepthBits = 16;
    ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &request), &request));
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    int double_buffer = 0, depth = 0, red = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &double_buffer);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &red);
    EXPECT_EQ(double_buffer, 1);
    EXPECT_GE(depth, 16);
    EXPECT_EQ(red, 8);
    EXPECT_TRUE(SwapBuffers(dc));
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
}

TEST_F(x11, a_real_escape_press_gives_key_messages_and_a_character)
{
    press("Escape");
    pump_for(std::chrono::milliseconds(300));
    const std::vector<recorded_message> downs = recorded_of(WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].wparam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(downs[0].lparam, 0x00010001);
    const std::vector<recorded_message> characters = recorded_of(WM_CHAR);
    ASSERT_EQ(characters.size(), 1u);
    EXPECT_EQ(characters[0].wparam, 0x1Bu);
    ASSERT_EQ(recorded_of(WM_KEYUP).size(), 1u);
    EXPECT_EQ(recorded_of(WM_KEYUP)[0].lparam, static_cast<LPARAM>(0xC0010001u));
}

TEST_F(x11, alt_f4_on_a_bare_server_closes_the_window)
{
    press("alt+F4");
    pump_for(std::chrono::milliseconds(300));
    ASSERT_EQ(recorded_of(WM_SYSCOMMAND).size(), 1u);
    EXPECT_EQ(recorded_of(WM_CLOSE).size(), 1u);  // DefWindowProcA destroyed it
    EXPECT_EQ(recorded_of(WM_DESTROY).size(), 1u);
}

TEST_F(x11, the_window_managers_close_request_is_one_wm_close_and_no_quit)
{
    window_hook = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        *result = 0;
        return message == WM_CLOSE;  // the program decides; the window stays
    };
    XEvent close = {};
    close.xclient.type = ClientMessage;
    close.xclient.window = x_window;
    close.xclient.message_type = XInternAtom(x_display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x_display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(x_display, x_window, False, NoEventMask, &close);
    XFlush(x_display);

    EXPECT_FALSE(pump_for(std::chrono::milliseconds(300)));
    ASSERT_EQ(recorded_of(WM_SYSCOMMAND).size(), 1u);
    EXPECT_EQ(recorded_of(WM_SYSCOMMAND)[0].wparam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(recorded_of(WM_CLOSE).size(), 1u);
}

}  // namespace
