// Pixel formats and WGL contexts: the backend contract's cases over each
// backend's driver; then, over SDL, a swap that asks GL nothing and a frame
// drawn the programs' way and read back.
#include "test_window.h"

#include <gtest/gtest.h>

#ifdef TEST_BACKEND_SDL
#include <GL/gl.h>
#include <dlfcn.h>

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
#endif

namespace {

class gl : public ::testing::TestWithParam<const backend_driver*> {
protected:
    void SetUp() override
    {
        GetParam()->set_up();
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

    static const void* current() { return GetParam()->current_context(); }
    static const void* drawing_to() { return GetParam()->drawing_to(); }
    static long presented() { return GetParam()->presented(); }

    // A second window of the test's pixel format.
    static HWND make_other()
    {
        HWND other = make_test_window();
        const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
        EXPECT_TRUE(SetPixelFormat(GetDC(other), 1, &request));
        return other;
    }

    HWND window = nullptr;
    HDC dc = nullptr;
};

INSTANTIATE_TEST_SUITE_P(backend, gl, testing::Values(&backend_under_test),
                         [](const testing::TestParamInfo<const backend_driver*>& info) { return info.param->name; });

TEST_P(gl, choose_pixel_format_offers_only_rgba_opengl_window_formats)
{
    PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 1);
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;  // single buffer: closest is ours
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 1);

    request = viewer_pixel_format();
    request.dwFlags &= ~PFD_SUPPORT_OPENGL;
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    request = viewer_pixel_format();
    request.dwFlags &= ~PFD_DRAW_TO_WINDOW;
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    request = viewer_pixel_format();
    request.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    EXPECT_EQ(ChoosePixelFormat(dc, nullptr), 0);
}

TEST_P(gl, a_window_takes_one_pixel_format_once)
{
    const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
    EXPECT_FALSE(SetPixelFormat(dc, 2, &request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    EXPECT_TRUE(SetPixelFormat(dc, 1, &request));
    EXPECT_TRUE(SetPixelFormat(dc, 1, &request));
    EXPECT_FALSE(SetPixelFormat(dc, 2, &request));
}

TEST_P(gl, contexts_need_a_pixel_format_first)
{
    EXPECT_EQ(wglCreateContext(dc), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
}

TEST_P(gl, creating_a_context_leaves_the_current_one_current)
{
    set_format();
    HGLRC first = wglCreateContext(dc);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(current(), nullptr);

    ASSERT_TRUE(wglMakeCurrent(dc, first));
    const void* made_current = current();
    ASSERT_NE(made_current, nullptr);
    HGLRC second = wglCreateContext(dc);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(current(), made_current);
    ASSERT_TRUE(wglMakeCurrent(dc, second));
    EXPECT_NE(current(), made_current) << "two contexts are one";
    ASSERT_TRUE(wglMakeCurrent(dc, first));

    EXPECT_TRUE(wglDeleteContext(second));
    EXPECT_EQ(current(), made_current);
    EXPECT_TRUE(wglDeleteContext(first));
}

TEST_P(gl, make_current_binds_and_unbinds_and_deleting_the_current_context_unbinds_it)
{
    set_format();
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_NE(current(), nullptr);
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(current(), nullptr);

    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_EQ(current(), nullptr);
    EXPECT_FALSE(wglDeleteContext(context));
    EXPECT_FALSE(wglMakeCurrent(dc, context));
}

TEST_P(gl, swap_buffers_without_a_current_context_fails_rather_than_pretends)
{
    set_format();
    EXPECT_FALSE(SwapBuffers(dc));
}

// A context on a second window of the same format: made current there,
// drawing and presenting there, or refused with ERROR_INVALID_PIXEL_FORMAT
// and none current.
TEST_P(gl, a_context_on_another_window_is_current_there_or_refused)
{
    set_format();
    HDC other_dc = GetDC(make_other());
    HGLRC own = wglCreateContext(other_dc);  // where drawing on the other window goes
    ASSERT_TRUE(wglMakeCurrent(other_dc, own));
    const void* there = drawing_to();
    ASSERT_NE(there, nullptr);
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_NE(drawing_to(), there);
    if (wglMakeCurrent(other_dc, context)) {
        EXPECT_NE(current(), nullptr);
        EXPECT_EQ(drawing_to(), there);
        const long before = presented();
        EXPECT_TRUE(SwapBuffers(other_dc));
        EXPECT_EQ(presented(), before + 1);
        EXPECT_FALSE(SwapBuffers(dc));
    } else {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
        EXPECT_EQ(current(), nullptr);
    }
    wglDeleteContext(context);
    wglDeleteContext(own);
}

// A context outlives the window it was made for, current nowhere, and still
// draws to another window of its pixel format if the backend allows that:
// nothing of it is freed with the window.
TEST_P(gl, a_context_outlives_its_window)
{
    set_format();
    HWND other = make_other();
    HGLRC context = wglCreateContext(GetDC(other));
    const bool on_others = wglMakeCurrent(dc, context);
    ASSERT_TRUE(wglMakeCurrent(GetDC(other), context));
    ASSERT_TRUE(DestroyWindow(other));
    EXPECT_EQ(current(), nullptr);
    EXPECT_EQ(drawing_to(), nullptr);
    ASSERT_EQ(wglMakeCurrent(dc, context) != FALSE, on_others);
    const long before = presented();
    EXPECT_EQ(SwapBuffers(dc) != FALSE, on_others);
    EXPECT_EQ(presented(), before + on_others);
    EXPECT_TRUE(wglDeleteContext(context));
}

// WGL leaves no context current after a failed wglMakeCurrent: the front
// and the backend must agree on that.
TEST_P(gl, a_failed_make_current_leaves_no_context_current)
{
    if (!GetParam()->fail_next_make_current)
        GTEST_SKIP() << GetParam()->name << " cannot be made to refuse a context";
    set_format();
    HGLRC first = wglCreateContext(dc);
    HGLRC second = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, first));
    GetParam()->fail_next_make_current(ERROR_INVALID_HANDLE);
    EXPECT_FALSE(wglMakeCurrent(dc, second));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(current(), nullptr);
    EXPECT_FALSE(SwapBuffers(dc));
    wglDeleteContext(first);
    wglDeleteContext(second);
}

#ifdef TEST_BACKEND_SDL
// On Windows a swap makes no GL call: whether to flush is decided once, when
// the context is made, not asked of GL every frame.
TEST_P(gl, swap_buffers_asks_gl_nothing)
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

TEST_P(gl, draws_an_immediate_mode_triangle_with_a_depth_buffer)
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
#endif

}  // namespace
