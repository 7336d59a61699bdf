// The backend contract: the front over a backend, run the same on every
// backend through its driver (backend_driver.h): keys by their usage to
// virtual keys, lParam and characters, the close request, pixel formats, and
// which context is current.
#include "backend_driver.h"
#include "test_window.h"

#include <gtest/gtest.h>

namespace {

class backend_contract : public ::testing::TestWithParam<const backend_driver*> {
protected:
    void SetUp() override
    {
        driver().set_up();
        window = make_test_window();
        ASSERT_NE(window, nullptr);
        dc = GetDC(window);
        ASSERT_NE(dc, nullptr);
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        clean_up_windows();
        driver().tear_down();
    }
    static const backend_driver& driver() { return *GetParam(); }

    void press(int usage, bool down, int modifiers = 0, bool repeat = false)
    {
        driver().press({usage, down, repeat, modifiers});
    }
    // The next message that is not the new window's WM_PAINT.
    MSG next()
    {
        MSG message = {};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_PAINT)
                return message;
            DispatchMessageA(&message);
        }
        message.message = WM_NULL;
        return message;
    }
    void set_format()
    {
        const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
        ASSERT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &request), &request));
    }

    HWND window = nullptr;
    HDC dc = nullptr;
};

INSTANTIATE_TEST_SUITE_P(backend, backend_contract, testing::Values(&contract_driver),
                         [](const testing::TestParamInfo<const backend_driver*>& info) { return info.param->name; });

TEST_P(backend_contract, keys_map_to_virtual_key_codes_from_their_usages)
{
    const struct {
        int usage, virtual_key;
    } keys[] = {
        {4, 'A'},     {29, 'Z'},    {30, '1'},    {38, '9'},    {39, '0'},    {41, 27},
        {40, 0x0D},   {42, 0x08},   {43, 0x09},   {44, 0x20},   {58, 0x70},   {69, 0x7B},
        {73, 0x2D},   {74, 0x24},   {75, 0x21},   {76, 0x2E},   {77, 0x23},   {78, 0x22},
        {79, 0x27},   {80, 0x25},   {81, 0x28},   {82, 0x26},   {228, 0x11},  {229, 0x10},
    };
    for (const auto& key : keys) {
        press(key.usage, true);
        press(key.usage, false);
        const MSG down = next();
        const MSG up = next();
        EXPECT_EQ(down.message, static_cast<UINT>(WM_KEYDOWN)) << key.usage;
        EXPECT_EQ(down.wParam, static_cast<WPARAM>(key.virtual_key)) << key.usage;
        EXPECT_EQ(down.hwnd, window);
        EXPECT_EQ(up.message, static_cast<UINT>(WM_KEYUP));
        EXPECT_EQ(up.wParam, static_cast<WPARAM>(key.virtual_key));
    }
}

TEST_P(backend_contract, key_lparam_carries_scan_code_repeat_and_transition)
{
    press(41, true);
    press(41, true, 0, true);
    press(41, false);
    press(82, true);
    EXPECT_EQ(next().lParam, 0x00010001);
    EXPECT_EQ(next().lParam, 0x40010001);
    EXPECT_EQ(next().lParam, static_cast<LPARAM>(0xC0010001u));
    EXPECT_EQ(next().lParam, 0x01480001);  // extended key
}

TEST_P(backend_contract, alt_without_ctrl_makes_system_key_messages)
{
    press(226, true, layer_alt);
    press(27, true, layer_alt | layer_ctrl);
    press(67, true);  // F10
    const MSG alt = next();
    EXPECT_EQ(alt.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(alt.wParam, static_cast<WPARAM>(VK_MENU));
    EXPECT_EQ(alt.lParam, 0x20380001);
    EXPECT_EQ(next().message, static_cast<UINT>(WM_KEYDOWN));  // Ctrl+Alt is not "system"
    const MSG f10 = next();
    EXPECT_EQ(f10.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(f10.lParam & (1 << 29), 0);
}

TEST_P(backend_contract, translate_message_posts_us_layout_characters)
{
    const struct {
        int usage, modifiers;
        UINT message;  // WM_NULL: no character
        int character;
    } keys[] = {
        {4, 0, WM_CHAR, 'a'},           {4, layer_shift, WM_CHAR, 'A'}, {4, layer_caps, WM_CHAR, 'A'},
        {4, layer_ctrl, WM_CHAR, 0x01}, {30, layer_shift, WM_CHAR, '!'}, {41, 0, WM_CHAR, 0x1B},
        {40, 0, WM_CHAR, 0x0D},         {42, 0, WM_CHAR, 0x08},          {43, 0, WM_CHAR, 0x09},
        {44, 0, WM_CHAR, 0x20},         {27, layer_alt, WM_SYSCHAR, 'x'}, {58, 0, WM_NULL, 0},
        {80, 0, WM_NULL, 0},            {61, layer_alt, WM_NULL, 0},
    };
    for (const auto& key : keys) {
        press(key.usage, true, key.modifiers);
        press(key.usage, false, key.modifiers);
        const MSG down = next();
        EXPECT_TRUE(TranslateMessage(&down));
        const MSG after = next();
        if (key.message == WM_NULL) {
            EXPECT_NE(after.message, static_cast<UINT>(WM_CHAR)) << key.usage;
            EXPECT_NE(after.message, static_cast<UINT>(WM_SYSCHAR)) << key.usage;
            continue;
        }
        // Posted: between the key-down and the key-up already waiting.
        EXPECT_EQ(after.message, key.message) << key.usage;
        EXPECT_EQ(after.wParam, static_cast<WPARAM>(key.character)) << key.usage;
        EXPECT_EQ(after.hwnd, window);
        const MSG up = next();
        EXPECT_TRUE(up.message == WM_KEYUP || up.message == WM_SYSKEYUP);
        EXPECT_TRUE(TranslateMessage(&up));
    }
}

TEST_P(backend_contract, translate_message_ignores_other_messages)
{
    const MSG size = {window, WM_SIZE, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&size));
    EXPECT_EQ(next().message, static_cast<UINT>(WM_NULL));
}

TEST_P(backend_contract, the_window_managers_close_request_is_the_close_buttons)
{
    driver().request_close();
    const MSG request = next();
    EXPECT_EQ(std::vector<WPARAM>({request.message, request.wParam}), std::vector<WPARAM>({WM_SYSCOMMAND, SC_CLOSE}));
    EXPECT_EQ(request.hwnd, window);
}

TEST_P(backend_contract, choose_pixel_format_offers_only_rgba_opengl_window_formats)
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

TEST_P(backend_contract, a_window_takes_one_pixel_format_once)
{
    const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
    EXPECT_FALSE(SetPixelFormat(dc, 2, &request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    EXPECT_TRUE(SetPixelFormat(dc, 1, &request));
    EXPECT_TRUE(SetPixelFormat(dc, 1, &request));
    EXPECT_FALSE(SetPixelFormat(dc, 2, &request));
}

TEST_P(backend_contract, contexts_need_a_pixel_format_first_and_swaps_a_current_context)
{
    EXPECT_EQ(wglCreateContext(dc), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    set_format();
    EXPECT_FALSE(SwapBuffers(dc));  // fails rather than pretends
}

TEST_P(backend_contract, creating_a_context_leaves_the_current_one_current)
{
    set_format();
    HGLRC first = wglCreateContext(dc);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(driver().current_context(), nullptr);

    ASSERT_TRUE(wglMakeCurrent(dc, first));
    const void* current = driver().current_context();
    ASSERT_NE(current, nullptr);
    HGLRC second = wglCreateContext(dc);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(driver().current_context(), current);

    EXPECT_TRUE(wglDeleteContext(second));
    EXPECT_EQ(driver().current_context(), current);
    EXPECT_TRUE(wglDeleteContext(first));
}

TEST_P(backend_contract, make_current_binds_and_unbinds_and_deleting_the_current_context_unbinds_it)
{
    set_format();
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_NE(driver().current_context(), nullptr);
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(driver().current_context(), nullptr);

    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_EQ(driver().current_context(), nullptr);
    EXPECT_FALSE(wglDeleteContext(context));
    EXPECT_FALSE(wglMakeCurrent(dc, context));
}

// A context on a second window of the same format: made current there, or
// refused with ERROR_INVALID_PIXEL_FORMAT and none current.
TEST_P(backend_contract, a_context_on_another_window_is_current_there_or_refused)
{
    set_format();
    HWND other = make_test_window();
    ASSERT_NE(other, nullptr);
    HDC other_dc = GetDC(other);
    const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
    ASSERT_TRUE(SetPixelFormat(other_dc, 1, &request));
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    if (wglMakeCurrent(other_dc, context)) {
        EXPECT_NE(driver().current_context(), nullptr);
        EXPECT_TRUE(SwapBuffers(other_dc));
        EXPECT_FALSE(SwapBuffers(dc));
    } else {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
        EXPECT_EQ(driver().current_context(), nullptr);
    }
    wglDeleteContext(context);
}

// WGL leaves no context current after a failed wglMakeCurrent: the front
// and the backend must agree on that.
TEST_P(backend_contract, a_failed_make_current_leaves_no_context_current)
{
    if (!driver().fail_next_make_current)
        GTEST_SKIP() << driver().name << " cannot be made to refuse a context";
    set_format();
    HGLRC first = wglCreateContext(dc);
    HGLRC second = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, first));
    driver().fail_next_make_current(ERROR_INVALID_HANDLE);
    EXPECT_FALSE(wglMakeCurrent(dc, second));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(driver().current_context(), nullptr);
    EXPECT_FALSE(SwapBuffers(dc));
    wglDeleteContext(first);
    wglDeleteContext(second);
}

}  // namespace
