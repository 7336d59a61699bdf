#include "test_window.h"

#include "../../platform/common/backend.h"

std::vector<recorded_message> recorded;
std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> window_hook;

static std::vector<HWND> test_windows;
static bool registered = false;

static LRESULT CALLBACK test_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    recorded.push_back({window, message, wparam, lparam});
    LRESULT result = 0;
    if (window_hook && window_hook(window, message, wparam, lparam, &result))
        return result;
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND make_test_window(DWORD style)
{
    // Registered anew after each reset of the front.
    if (!registered) {
        WNDCLASSA window_class = {};
        window_class.style = CS_OWNDC;
        window_class.lpfnWndProc = test_procedure;
        window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        window_class.lpszClassName = "test_window";
        registered = RegisterClassA(&window_class) != 0;
    }
    HWND window = CreateWindowExA(0, "test_window", viewer_window_title, style, 0, 0, viewer_window_width,
                                  viewer_window_height, nullptr, nullptr, nullptr, nullptr);
    if (window)
        test_windows.push_back(window);
    return window;
}

std::vector<recorded_message> recorded_of(UINT message)
{
    std::vector<recorded_message> matching;
    for (const recorded_message& entry : recorded) {
        if (entry.message == message)
            matching.push_back(entry);
    }
    return matching;
}

int pump_messages(int limit)
{
    MSG message;
    int taken = 0;
    while (taken < limit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        ++taken;
    }
    return taken;
}

void clean_up_windows()
{
    window_hook = nullptr;
    for (HWND window : test_windows)
        DestroyWindow(window);
    test_windows.clear();
    pump_messages();
    recorded.clear();
    layer_reset_front();
    registered = false;
}
