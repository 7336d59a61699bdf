// What SDL's input is alone: a flood of events that make no message, SDL's
// poll cycle, and SDL_QUIT as the close button's request (keys, lParam,
// characters and the window manager's close request are the contract
// suite's).
#include "sdl_driver.h"
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

// An SDL_QUIT from elsewhere (a signal) is the close button's request.
TEST_F(input, sdl_quit_becomes_the_close_buttons_request)
{
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    const MSG request = next();
    EXPECT_EQ(std::vector<WPARAM>({request.message, request.wParam}), std::vector<WPARAM>({WM_SYSCOMMAND, SC_CLOSE}));
    EXPECT_EQ(request.hwnd, window);
}

}  // namespace
