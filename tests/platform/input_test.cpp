// Keys to virtual keys and lParam, TranslateMessage's characters, and the
// close requests, from pushed SDL events.
#include "test_window.h"

#include <gtest/gtest.h>

namespace {

class input : public ::testing::Test {
protected:
    void SetUp() override
    {
        use_offscreen_video();
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

    HWND window = nullptr;
};

TEST_F(input, keys_map_to_virtual_key_codes_from_their_scancodes)
{
    const struct {
        SDL_Scancode scancode;
        int virtual_key;
    } keys[] = {
        {SDL_SCANCODE_A, 'A'},        {SDL_SCANCODE_Z, 'Z'},          {SDL_SCANCODE_1, '1'},
        {SDL_SCANCODE_9, '9'},        {SDL_SCANCODE_0, '0'},          {SDL_SCANCODE_ESCAPE, 27},
        {SDL_SCANCODE_RETURN, 0x0D},  {SDL_SCANCODE_BACKSPACE, 0x08}, {SDL_SCANCODE_TAB, 0x09},
        {SDL_SCANCODE_SPACE, 0x20},   {SDL_SCANCODE_F1, 0x70},        {SDL_SCANCODE_F12, 0x7B},
        {SDL_SCANCODE_INSERT, 0x2D},  {SDL_SCANCODE_HOME, 0x24},      {SDL_SCANCODE_PAGEUP, 0x21},
        {SDL_SCANCODE_DELETE, 0x2E},  {SDL_SCANCODE_END, 0x23},       {SDL_SCANCODE_PAGEDOWN, 0x22},
        {SDL_SCANCODE_RIGHT, 0x27},   {SDL_SCANCODE_LEFT, 0x25},      {SDL_SCANCODE_DOWN, 0x28},
        {SDL_SCANCODE_UP, 0x26},      {SDL_SCANCODE_RCTRL, 0x11},     {SDL_SCANCODE_RSHIFT, 0x10},
    };
    for (const auto& key : keys) {
        push_key(key.scancode, true);
        push_key(key.scancode, false);
        const MSG down = next();
        const MSG up = next();
        EXPECT_EQ(down.message, static_cast<UINT>(WM_KEYDOWN)) << SDL_GetScancodeName(key.scancode);
        EXPECT_EQ(down.wParam, static_cast<WPARAM>(key.virtual_key)) << SDL_GetScancodeName(key.scancode);
        EXPECT_EQ(down.hwnd, window);
        EXPECT_EQ(up.message, static_cast<UINT>(WM_KEYUP));
        EXPECT_EQ(up.wParam, static_cast<WPARAM>(key.virtual_key));
    }
}

TEST_F(input, key_lparam_carries_scan_code_repeat_and_transition)
{
    push_key(SDL_SCANCODE_ESCAPE, true);
    push_key(SDL_SCANCODE_ESCAPE, true, KMOD_NONE, true);
    push_key(SDL_SCANCODE_ESCAPE, false);
    push_key(SDL_SCANCODE_UP, true);
    EXPECT_EQ(next().lParam, 0x00010001);
    EXPECT_EQ(next().lParam, 0x40010001);
    EXPECT_EQ(next().lParam, static_cast<LPARAM>(0xC0010001u));
    EXPECT_EQ(next().lParam, 0x01480001);  // extended key
}

TEST_F(input, alt_without_ctrl_makes_system_key_messages)
{
    push_key(SDL_SCANCODE_LALT, true, KMOD_LALT);
    push_key(SDL_SCANCODE_X, true, KMOD_LALT | KMOD_LCTRL);
    push_key(SDL_SCANCODE_F10, true);
    const MSG alt = next();
    EXPECT_EQ(alt.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(alt.wParam, static_cast<WPARAM>(VK_MENU));
    EXPECT_EQ(alt.lParam, 0x20380001);
    EXPECT_EQ(next().message, static_cast<UINT>(WM_KEYDOWN));  // Ctrl+Alt is not "system"
    const MSG f10 = next();
    EXPECT_EQ(f10.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(f10.lParam & (1 << 29), 0);
}

TEST_F(input, translate_message_posts_us_layout_characters)
{
    const struct {
        SDL_Scancode scancode;
        Uint16 modifiers;
        UINT message;  // WM_NULL: no character
        int character;
    } keys[] = {
        {SDL_SCANCODE_A, KMOD_NONE, WM_CHAR, 'a'},
        {SDL_SCANCODE_A, KMOD_LSHIFT, WM_CHAR, 'A'},
        {SDL_SCANCODE_A, KMOD_CAPS, WM_CHAR, 'A'},
        {SDL_SCANCODE_A, KMOD_LCTRL, WM_CHAR, 0x01},
        {SDL_SCANCODE_1, KMOD_RSHIFT, WM_CHAR, '!'},
        {SDL_SCANCODE_ESCAPE, KMOD_NONE, WM_CHAR, 0x1B},
        {SDL_SCANCODE_RETURN, KMOD_NONE, WM_CHAR, 0x0D},
        {SDL_SCANCODE_BACKSPACE, KMOD_NONE, WM_CHAR, 0x08},
        {SDL_SCANCODE_TAB, KMOD_NONE, WM_CHAR, 0x09},
        {SDL_SCANCODE_SPACE, KMOD_NONE, WM_CHAR, 0x20},
        {SDL_SCANCODE_X, KMOD_LALT, WM_SYSCHAR, 'x'},
        {SDL_SCANCODE_F1, KMOD_NONE, WM_NULL, 0},
        {SDL_SCANCODE_LEFT, KMOD_NONE, WM_NULL, 0},
        {SDL_SCANCODE_F4, KMOD_LALT, WM_NULL, 0},
    };
    for (const auto& key : keys) {
        push_key(key.scancode, true, key.modifiers);
        push_key(key.scancode, false, key.modifiers);
        const MSG down = next();
        EXPECT_TRUE(TranslateMessage(&down));
        const MSG after = next();
        if (key.message == WM_NULL) {
            EXPECT_NE(after.message, static_cast<UINT>(WM_CHAR)) << SDL_GetScancodeName(key.scancode);
            EXPECT_NE(after.message, static_cast<UINT>(WM_SYSCHAR)) << SDL_GetScancodeName(key.scancode);
            continue;
        }
        // Posted: between the key-down and the key-up already waiting.
        EXPECT_EQ(after.message, key.message) << SDL_GetScancodeName(key.scancode);
        EXPECT_EQ(after.wParam, static_cast<WPARAM>(key.character)) << SDL_GetScancodeName(key.scancode);
        EXPECT_EQ(after.hwnd, window);
        const MSG up = next();
        EXPECT_TRUE(up.message == WM_KEYUP || up.message == WM_SYSKEYUP);
        EXPECT_TRUE(TranslateMessage(&up));
    }
}

TEST_F(input, translate_message_ignores_other_messages)
{
    const MSG size = {window, WM_SIZE, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&size));
    EXPECT_EQ(next().message, static_cast<UINT>(WM_NULL));
}

TEST_F(input, a_flood_of_events_without_messages_never_holds_peek_message)
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

// What PeekMessageA reads SDL's queue twice for: SDL ends a poll cycle at a
// sentinel, so an event pushed just after a poll shows only at the poll after
// next.  Should an SDL version stop doing so, this fails on it, and the second
// read can go.
TEST_F(input, sdl_shows_an_event_pushed_after_a_poll_only_at_the_second_poll)
{
    SDL_Event event = {};
    for (int empty = 0; empty < 2;)
        empty = SDL_PollEvent(&event) ? 0 : empty + 1;
    SDL_Event user = {};
    user.type = SDL_USEREVENT;
    SDL_PushEvent(&user);
    ASSERT_EQ(SDL_PollEvent(&event), 1);
    SDL_PushEvent(&user);
    const int first = SDL_PollEvent(&event);
    const int second = SDL_PollEvent(&event);
    EXPECT_EQ(std::vector<int>({first, second}), std::vector<int>({0, 1}));
}

// The window manager's close request and an SDL_QUIT from elsewhere (a
// signal) are the close button's request.
TEST_F(input, sdl_close_requests_become_the_close_buttons_request)
{
    SDL_Event event = {};
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(only_sdl_window());
    for (const Uint32 type : {Uint32(SDL_WINDOWEVENT), Uint32(SDL_QUIT)}) {
        event.type = type;
        SDL_PushEvent(&event);
        const MSG request = next();
        EXPECT_EQ(std::vector<WPARAM>({request.message, request.wParam}), std::vector<WPARAM>({WM_SYSCOMMAND, SC_CLOSE}));
        EXPECT_EQ(request.hwnd, window);
    }
}

}  // namespace
