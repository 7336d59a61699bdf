// What SDL's GL does with the programs' format: a swap that asks GL nothing,
// and a frame drawn the programs' way and read back (the pixel-format and
// WGL rules are the contract suite's, backend_contract_test.cpp).
#include "sdl_driver.h"
#include "test_window.h"

#include <GL/gl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

// GL state queries are counted on their way to the real library, so a test
// can see a swap make none.
static int state_queries = 0;

void glGetBooleanv(GLenum name, GLboolean* values)
{
    ++state_queries;
    using query = void (*)(GLenum, GLboolean*);
    static const query real = reinterpret_cast<query>(dlsym(RTLD_NEXT, "glGetBooleanv"));
    real(name, values);
}

namespace {

class gl : public ::testing::Test {
protected:
    void SetUp() override
    {
        use_offscreen_video();
        window = make_test_window();
        ASSERT_NE(window, nullptr);
        dc = GetDC(window);
        ASSERT_NE(dc, nullptr);
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        clean_up_windows();
    }

    void set_format()
    {
        const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
        ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &request), &request));
    }

    HWND window = nullptr;
    HDC dc = nullptr;
};

// On Windows a swap makes no GL call: whether to flush is decided once, when
// the context is made, not asked of GL every frame.
TEST_F(gl, swap_buffers_asks_gl_nothing)
{
    set_format();
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    state_queries = 0;
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_EQ(state_queries, 0);
    wglDeleteContext(context);
}

TEST_F(gl, draws_an_immediate_mode_triangle_with_a_depth_buffer)
{
    set_format();
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_NE(glGetString(GL_VERSION), nullptr);

    GLint depth_bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    EXPECT_GE(depth_bits, 16);
    GLint red_bits = 0;
    glGetIntegerv(GL_RED_BITS, &red_bits);
    EXPECT_EQ(red_bits, 8);

    // The whole client area: the drawable the offscreen driver made.
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(only_sdl_window(), &width, &height);
    ASSERT_GT(width, 4);
    // The client area inside the classic frame at the top left, fixed in size.
    int x = -1, y = -1;
    SDL_GetWindowPosition(only_sdl_window(), &x, &y);
    EXPECT_EQ(std::vector<int>({x, y, width, height}), std::vector<int>({3, 22, 634, 455}));
    const Uint32 flags = SDL_GetWindowFlags(only_sdl_window());
    EXPECT_EQ(flags & (SDL_WINDOW_SHOWN | SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE), SDL_WINDOW_SHOWN | SDL_WINDOW_OPENGL);
    EXPECT_STREQ(SDL_GetWindowTitle(only_sdl_window()), viewer_window_title);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(-0.5f, -0.5f, 0.0f);
    glVertex3f(0.5f, -0.5f, 0.0f);
    glVertex3f(0.0f, 0.5f, 0.0f);
    glEnd();
    EXPECT_TRUE(SwapBuffers(dc));

    unsigned char centre[4] = {}, corner[4] = {};
    glReadPixels(width / 2, height / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
    glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[2], 0);
    EXPECT_EQ(corner[0], 0);
    EXPECT_EQ(corner[2], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    wglDeleteContext(context);
}

}  // namespace
