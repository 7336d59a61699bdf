// Keys to virtual keys and lParam, TranslateMessage's characters, and the
// close requests: the backend contract's cases over each backend's driver,
// then SDL's own (a flood of events, its poll cycle, SDL_QUIT).
#include "test_window.h"

#include <gtest/gtest.h>

namespace {

class input : public ::testing::TestWithParam<const backend_driver*> {
protected:
    void SetUp() override
    {
        GetParam()->set_up();
        window = make_test_window();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { clean_up_windows(); }

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

    void press(int usage, bool down, int modifiers = 0, bool repeat = false)
    {
        GetParam()->press({usage, down, repeat, modifiers});
    }

    HWND window = nullptr;
};

INSTANTIATE_TEST_SUITE_P(backend, input, testing::Values(&backend_under_test),
                         [](const testing::TestParamInfo<const backend_driver*>& info) { return info.param->name; });

TEST_P(input, keys_map_to_virtual_key_codes_from_their_usages)
{
    const struct {
        int usage, virtual_key;
    } keys[] = {
        {4, 'A'},   {29, 'Z'},   {30, '1'},   {38, '9'},   {39, '0'},   {41, 27},    {40, 0x0D},  {42, 0x08},
        {43, 0x09}, {44, 0x20},  {58, 0x70},  {69, 0x7B},  {73, 0x2D},  {74, 0x24},  {75, 0x21},  {76, 0x2E},
        {77, 0x23}, {78, 0x22},  {79, 0x27},  {80, 0x25},  {81, 0x28},  {82, 0x26},  {228, 0x11}, {229, 0x10},
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

TEST_P(input, key_lparam_carries_scan_code_repeat_and_transition)
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

TEST_P(input, alt_without_ctrl_makes_system_key_messages)
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

TEST_P(input, translate_message_posts_us_layout_characters)
{
    const struct {
        int usage, modifiers;
        UINT message;  // WM_NULL: no character
        int character;
    } keys[] = {
        {4, 0, WM_CHAR, 'a'},           {4, layer_shift, WM_CHAR, 'A'},   {4, layer_caps, WM_CHAR, 'A'},
        {4, layer_ctrl, WM_CHAR, 0x01}, {30, layer_shift, WM_CHAR, '!'},  {41, 0, WM_CHAR, 0x1B},
        {40, 0, WM_CHAR, 0x0D},         {42, 0, WM_CHAR, 0x08},           {43, 0, WM_CHAR, 0x09},
        {44, 0, WM_CHAR, 0x20},         {27, layer_alt, WM_SYSCHAR, 'x'}, {58, 0, WM_NULL, 0},  // F1
        {80, 0, WM_NULL, 0},            {61, layer_alt, WM_NULL, 0},      // Left, Alt+F4
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

TEST_P(input, translate_message_ignores_other_messages)
{
    const MSG size = {window, WM_SIZE, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&size));
    EXPECT_EQ(next().message, static_cast<UINT>(WM_NULL));
}

// An exposure the window system reports is one WM_PAINT, after the input
// that came with it; MSG.time is the clock Sleep moves on.
TEST_P(input, an_exposure_is_painted_after_input_and_sleep_moves_the_clock)
{
    pump_messages();  // the new window's own WM_PAINT
    GetParam()->expose();
    press(4, true);
    const MSG key = next();
    MSG paint = {};
    ASSERT_TRUE(PeekMessageA(&paint, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(std::vector<UINT>({key.message, paint.message}), std::vector<UINT>({WM_KEYDOWN, WM_PAINT}));
    EXPECT_EQ(paint.hwnd, window);
    DispatchMessageA(&paint);
    EXPECT_EQ(pump_messages(), 0);

    Sleep(30);
    press(4, false);
    EXPECT_GE(next().time - key.time, 30u);
}

#ifdef TEST_BACKEND_SDL
TEST_P(input, a_flood_of_events_without_messages_never_holds_peek_message)
{
    for (int i = 0; i < 1000; ++i) {
        SDL_Event user = {};
        user.type = SDL_USEREVENT;
        SDL_PushEvent(&user);
    }
    push_key(SDL_SCANCODE_A, true);
    // Each call looks at a bounded number of events, so some calls come back
    // empty-handed before the key is reached; none of them waits.
    int calls = 0;
    MSG message = {};
    while (calls < 100 && message.message != WM_KEYDOWN) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) || message.message == WM_PAINT)
            message.message = WM_NULL;
        ++calls;
    }
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_GT(calls, 1);
}

// SDL ends a poll cycle at a sentinel, so an event pushed just after a poll
// that found one shows only at the poll after next (sdl_events.cpp):
// PeekMessageA must see it at once all the same.
TEST_P(input, peek_message_sees_a_key_pushed_after_the_poll_that_found_the_last)
{
    pump_messages();
    for (bool down : {true, false}) {
        push_key(SDL_SCANCODE_A, down);
        MSG message = {};
        ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << down;
        EXPECT_EQ(message.message, static_cast<UINT>(down ? WM_KEYDOWN : WM_KEYUP));
    }
}
#endif

// The window manager's close request and, over SDL, an SDL_QUIT from
// elsewhere (a signal) are the close button's request.
TEST_P(input, close_requests_become_the_close_buttons_request)
{
    std::vector<void (*)()> requests = {GetParam()->request_close};
#ifdef TEST_BACKEND_SDL
    requests.push_back([] {
        SDL_Event event = {};
        event.type = SDL_QUIT;
        SDL_PushEvent(&event);
    });
#endif
    for (const auto request_close : requests) {
        request_close();
        const MSG request = next();
        EXPECT_EQ(std::vector<WPARAM>({request.message, request.wParam}), std::vector<WPARAM>({WM_SYSCOMMAND, SC_CLOSE}));
        EXPECT_EQ(request.hwnd, window);
    }
}

}  // namespace
