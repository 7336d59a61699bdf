// Classes, creation and destruction: the messages sent from inside the calls,
// the window's size and place, and failures the Win32 way; over the null
// backend.
#include "test_window.h"

#include "null_backend.h"

#include "failure_text.h"

#include "../../platform/common/layer_common.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <new>
#include <utility>
#include <stdlib.h>
#include <string>

// A window freed at `recycle_at` is kept, and the next window made takes its
// address, as an allocator may do by chance (and, under a sanitizer's
// quarantine, never does).
// NOTE: GCC sees these free blocks from the replaced operator new and warns.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static void* recycle_at = nullptr;
static void* recycled = nullptr;

void* operator new(std::size_t size)
{
    void* block = recycled && size == sizeof(win32_window) ? std::exchange(recycled, nullptr) : malloc(size ? size : 1);
    return block ? block : throw std::bad_alloc();
}
void operator delete(void* block, std::size_t) noexcept
{
    if (block && block == recycle_at)
        recycled = std::exchange(recycle_at, nullptr);
    else
        free(block);
}
void operator delete(void* block) noexcept
{
    operator delete(block, std::size_t(0));
}

namespace {

class windows : public ::testing::Test {
protected:
    void TearDown() override { clean_up_windows(); }
};

std::vector<UINT> recorded_numbers()
{
    std::vector<UINT> numbers;
    for (const recorded_message& entry : recorded)
        numbers.push_back(entry.message);
    return numbers;
}

TEST_F(windows, creation_sends_its_messages_from_inside_the_call_with_a_usable_handle)
{
    HWND seen_inside = nullptr;
    HDC dc_inside = nullptr;
    LRESULT sent_inside = 0;
    CREATESTRUCTA create_seen = {};
    std::string name_seen;
    window_hook = [&](HWND window, UINT message, WPARAM, LPARAM lparam, LRESULT* result) {
        if (message == WM_CREATE) {
            seen_inside = window;
            create_seen = *reinterpret_cast<const CREATESTRUCTA*>(lparam);
            name_seen = create_seen.lpszName;
            dc_inside = GetDC(window);
            sent_inside = SendMessageA(window, WM_APP, 0, 0);
            *result = 0;
            return true;
        }
        if (message == WM_APP) {
            *result = 99;
            return true;
        }
        return false;
    };
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);

    const std::vector<UINT> expected = {WM_NCCREATE, WM_CREATE, WM_APP, WM_SIZE, WM_MOVE, WM_SHOWWINDOW};
    EXPECT_EQ(recorded_numbers(), expected);
    EXPECT_EQ(seen_inside, window);
    EXPECT_EQ(dc_inside, GetDC(window));
    EXPECT_EQ(sent_inside, 99);
    EXPECT_EQ(create_seen.cx, viewer_window_width);
    EXPECT_EQ(create_seen.cy, viewer_window_height);
    EXPECT_EQ(static_cast<DWORD>(create_seen.style), program_style);
    EXPECT_EQ(name_seen, viewer_window_title);
    // Client size 634x455 at (3, 22): the classic frame around 640x480.
    const recorded_message size = recorded_of(WM_SIZE).at(0);
    EXPECT_EQ(size.lparam, (455 << 16) | 634);
    EXPECT_EQ(recorded_of(WM_MOVE).at(0).lparam, (22 << 16) | 3);
}

TEST_F(windows, a_window_without_ws_visible_stays_hidden_until_shown_and_is_not_hidden_as_it_goes)
{
    HWND window = make_test_window(WS_POPUP | WS_CAPTION | WS_SYSMENU);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(recorded_of(WM_SHOWWINDOW).empty());
    ASSERT_EQ(null_windows().size(), 1u);
    EXPECT_FALSE(null_windows()[0]->shown);
    std::vector<std::string> calls;
    null_listen([&](const char* call, const std::vector<double>&) { calls.push_back(call); });
    DestroyWindow(window);
    null_listen(nullptr);
    EXPECT_EQ(calls, std::vector<std::string>({"destroy_window"}));
}

TEST_F(windows, refusing_wm_create_destroys_the_window_and_returns_null)
{
    window_hook = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        *result = -1;
        return message == WM_CREATE;
    };
    EXPECT_EQ(make_test_window(), nullptr);
    const std::vector<UINT> expected = {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(recorded_numbers(), expected);
    EXPECT_TRUE(null_windows().empty());
}

TEST_F(windows, refusing_wm_nccreate_returns_null)
{
    window_hook = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        *result = FALSE;
        return message == WM_NCCREATE;
    };
    EXPECT_EQ(make_test_window(), nullptr);
    EXPECT_TRUE(recorded_of(WM_CREATE).empty());
    EXPECT_TRUE(null_windows().empty());
}

TEST_F(windows, destroy_sends_wm_destroy_then_wm_ncdestroy_from_inside_the_call)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    recorded.clear();
    ASSERT_TRUE(DestroyWindow(window));
    const std::vector<UINT> expected = {WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(recorded_numbers(), expected);
    EXPECT_EQ(recorded[0].window, window);
    EXPECT_TRUE(null_windows().empty());

    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetDC(window), nullptr);
}

TEST_F(windows, destroying_from_inside_wm_destroy_sends_nothing_twice)
{
    window_hook = [](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_DESTROY)
            DestroyWindow(window);
        return false;
    };
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    recorded.clear();
    DestroyWindow(window);
    EXPECT_EQ(recorded_of(WM_DESTROY).size(), 1u);
    EXPECT_EQ(recorded_of(WM_NCDESTROY).size(), 1u);
}

TEST_F(windows, unknown_and_duplicate_classes_fail_with_their_error_codes)
{
    ASSERT_NE(make_test_window(), nullptr);  // registers "test_window"
    EXPECT_EQ(CreateWindowExA(0, "no_such_class", "x", program_style, 0, 0, viewer_window_width,
                              viewer_window_height, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_STRNE(last_failure_text(), "");

    WNDCLASSA again = {};
    again.lpfnWndProc = DefWindowProcA;
    again.lpszClassName = "TEST_WINDOW";  // class names ignore case
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST_F(windows, stock_objects_are_stable_handles_and_unknown_ones_null)
{
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(GetStockObject(0), nullptr);  // WHITE_BRUSH: not offered
    EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(32513)), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)), nullptr);
}

TEST_F(windows, own_dc_is_the_same_every_time_and_survives_release)
{
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    HDC first = GetDC(window);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ReleaseDC(window, first), 1);
    EXPECT_EQ(GetDC(window), first);
    EXPECT_EQ(ReleaseDC(window, nullptr), 0);
}

TEST_F(windows, the_backends_limits_refuse_windows_and_contexts_before_it_is_asked)
{
    null_set_limits({1, "one window only", 1, "one context only"});
    HWND window = make_test_window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(make_test_window(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_STREQ(last_failure_text(), "one window only");
    EXPECT_EQ(null_windows().size(), 1u);

    HDC dc = GetDC(window);
    const PIXELFORMATDESCRIPTOR request = viewer_pixel_format();
    ASSERT_TRUE(SetPixelFormat(dc, 1, &request));
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(wglCreateContext(dc), nullptr);
    EXPECT_STREQ(last_failure_text(), "one context only");
    wglDeleteContext(context);
}

// CW_USEDEFAULT is INT_MIN: the frame taken off such a size or added to such
// a place must not wrap round.
TEST_F(windows, sizes_and_places_at_the_ends_of_int_keep_within_it)
{
    ASSERT_NE(make_test_window(WS_POPUP), nullptr);  // registers the class
    ASSERT_NE(CreateWindowExA(0, "test_window", "", WS_POPUP | WS_CAPTION, INT_MAX, INT_MIN, INT_MIN,
                              INT_MIN + 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    const backend_window* made = null_windows().at(1);
    EXPECT_EQ(std::vector<int>({made->client_x, made->client_y, made->client_width, made->client_height}),
              std::vector<int>({INT_MAX, INT_MIN + 22, 1, 1}));
}

// A window procedure that destroys its window while it is being made and
// makes another at the same address: the first creation fails and sends the
// second window nothing of its own.
TEST_F(windows, a_window_replaced_while_it_is_made_is_not_mistaken_for_its_successor)
{
    HWND replacement = nullptr, replaced = nullptr;
    window_hook = [&](HWND window, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_SIZE && !replaced) {
            recycle_at = replaced = window;
            DestroyWindow(window);
            replacement = make_test_window(WS_POPUP);
        }
        return false;
    };
    EXPECT_EQ(make_test_window(), nullptr);
    ASSERT_EQ(replacement, replaced);
    EXPECT_TRUE(recorded_of(WM_SHOWWINDOW).empty());
    EXPECT_EQ(recorded_of(WM_MOVE).size(), 1u);  // the replacement's own
    ASSERT_EQ(null_windows().size(), 1u);
    EXPECT_FALSE(null_windows()[0]->shown);
}

}  // namespace
