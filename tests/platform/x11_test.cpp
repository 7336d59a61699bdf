// The layer on a real X server (ctest runs these on a private Xvfb with no
// window manager, tests/harness/x11_harness.py xserver): the window's place,
// the GL visual fixed at creation, real key presses, and the window manager's
// close request.
// NOTE: gtest first: Xlib's macros (None, Bool) break its templates.
#include <gtest/gtest.h>

#include "test_window.h"

#include "failure_text.h"
#include "window_frame.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <stdlib.h>
#include <string>

namespace {

class x11 : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        unsetenv("WAYLAND_DISPLAY");
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        ASSERT_NE(getenv("DISPLAY"), nullptr) << "run under tests/harness/x11_harness.py xserver --";
        window = make_test_window();
        ASSERT_NE(window, nullptr) << last_failure_text();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(only_sdl_window(), &info));
        x_window = info.info.x11.window;
        x_display = XOpenDisplay(nullptr);
        ASSERT_NE(x_display, nullptr);
        ASSERT_TRUE(pump_until([this] {
            XWindowAttributes attributes;
            return XGetWindowAttributes(x_display, x_window, &attributes) && attributes.map_state == IsViewable;
        })) << "the window was never mapped";
        recorded.clear();
    }
    void TearDown() override
    {
        if (x_display)
            XCloseDisplay(x_display);
        clean_up_windows();
    }

    // Runs the programs' loop until `done` holds, or false after a deadline
    // generous enough for a loaded machine; notes a WM_QUIT in `quit`.
    bool pump_until(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    quit = true;
                    continue;
                }
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            Sleep(5);
        }
    }
    static std::function<bool()> received(UINT message)
    {
        return [message] { return !recorded_of(message).empty(); };
    }

    // Presses keys through the XTEST extension with the pointer over the
    // window: without a window manager the focus follows the pointer.
    void press(const char* keys)
    {
        const std::string command = "xdotool mousemove 200 200 key " + std::string(keys);
        ASSERT_EQ(system(command.c_str()), 0);
    }

    HWND window = nullptr;
    bool quit = false;
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
    const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
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
    ASSERT_TRUE(pump_until(received(WM_KEYUP)));
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
    ASSERT_TRUE(pump_until(received(WM_DESTROY)));
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
    XSync(x_display, False);
    // The server delivers in order: once a key pressed after the request has
    // come, whatever the request caused has come too.
    press("a");

    ASSERT_TRUE(pump_until(received(WM_KEYUP)));
    EXPECT_FALSE(quit);
    ASSERT_EQ(recorded_of(WM_SYSCOMMAND).size(), 1u);
    EXPECT_EQ(recorded_of(WM_SYSCOMMAND)[0].wparam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(recorded_of(WM_CLOSE).size(), 1u);
}

}  // namespace
