#include "fake_win32.h"

#include "crt_rand.h"
#include "failure_text.h"
#include "gl_recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

namespace {

fake_win32_state state;
long long rand_calls = 0;
unsigned rand_state = 1;

// Distinct non-null handle values; nothing behind them is ever read.
template <typename Handle>
Handle handle(std::uintptr_t value)
{
    return reinterpret_cast<Handle>(value);
}

double as_number(const void* pointer)
{
    return static_cast<double>(reinterpret_cast<std::uintptr_t>(pointer));
}

}  // namespace

fake_win32_state& fake_win32() { return state; }

void reset_fake_win32()
{
    state = fake_win32_state{};
    rand_calls = 0;
    rand_state = 1;
}

HWND fake_window() { return handle<HWND>(0x1001); }
HDC fake_device_context() { return handle<HDC>(0x2002); }
HGLRC fake_rendering_context() { return handle<HGLRC>(0x3003); }
HINSTANCE fake_instance() { return handle<HINSTANCE>(0x4004); }

void fake_post_input(UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG queued = {};
    queued.hwnd = fake_window();
    queued.message = message;
    queued.wParam = wparam;
    queued.lParam = lparam;
    state.posted.push_back(queued);
}

long long fake_rand_calls() { return rand_calls; }

// The generator, counted; the same sequence as the real one.
int crt_rand()
{
    ++rand_calls;
    rand_state = rand_state * 214013u + 2531011u;
    return static_cast<int>((rand_state >> 16) & 0x7FFFu);
}

void crt_srand(unsigned seed) { rand_state = seed; }

// A played-back failure leaves this error; the calls that succeed leave 0,
// as Windows calls may.  The host's failure report names "fake failure" as
// the cause only if the failed call's error is still the last one.
static const DWORD fake_failure_error = 0x2A;
static DWORD fake_failure(bool fails)
{
    state.last_error = fails ? fake_failure_error : ERROR_SUCCESS;
    return fails;
}

const char* last_failure_text()
{
    return state.last_error == fake_failure_error ? "fake failure" : "a later call's error";
}

void show_failure_line(const char*, const char* line)
{
    fprintf(stderr, "%s\n", line);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* window_class)
{
    record_call("RegisterClassA", {double(rand_calls)});
    state.registered_classes.push_back(*window_class);
    state.registered_class_names.push_back(window_class->lpszClassName);
    state.window_proc = window_class->lpfnWndProc;
    return 1;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    record_call("LoadIconA", {as_number(instance), as_number(name)});
    return handle<HICON>(0x5005);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    record_call("LoadCursorA", {as_number(instance), as_number(name)});
    return handle<HCURSOR>(0x6006);
}

HGDIOBJ WINAPI GetStockObject(int object)
{
    record_call("GetStockObject", {double(object)});
    return handle<HGDIOBJ>(0x7007);
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    record_call("CreateWindowExA", {});
    state.created_windows.push_back(fake_window_creation{ex_style, class_name, window_name, style, x, y, width,
                                                         height, parent, menu, instance, param});
    if (fake_failure(state.fail_create_window))
        return NULL;
    CREATESTRUCTA creation = {};
    creation.lpszClass = class_name;
    creation.lpszName = window_name;
    const LRESULT answer = state.window_proc(fake_window(), WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation));
    record_call("WM_CREATE answered", {double(answer)});
    return fake_window();
}

BOOL WINAPI DestroyWindow(HWND window)
{
    record_call("DestroyWindow", {as_number(window)});
    const LRESULT answer = state.window_proc(window, WM_DESTROY, 0, 0);
    record_call("WM_DESTROY answered", {double(answer)});
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    record_call("DefWindowProcA", {as_number(window), double(message), double(wparam), double(lparam)});
    return state.default_result;
}

void WINAPI PostQuitMessage(int exit_code)
{
    record_call("PostQuitMessage", {double(exit_code)});
    state.quit_requested = true;
    state.quit_code = exit_code;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    record_call("PostMessageA", {double(message)});
    MSG queued = {};
    queued.hwnd = window;
    queued.message = message;
    queued.wParam = wparam;
    queued.lParam = lparam;
    state.posted.push_back(queued);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    record_call("SendMessageA", {double(message)});
    return state.window_proc(window, message, wparam, lparam);
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filter_min, UINT filter_max, UINT remove)
{
    record_call("PeekMessageA", {as_number(window), double(filter_min), double(filter_max), double(remove)});
    if (state.on_peek)
        state.on_peek(state.peeks);
    if (++state.peeks > state.peek_limit && !state.quit_requested) {
        ADD_FAILURE() << "the loop did not end after " << state.peek_limit << " passes";
        state.quit_requested = true;
        state.quit_code = -1;
    }
    if (!state.posted.empty()) {
        *message = state.posted.front();
        state.posted.pop_front();
        return TRUE;
    }
    if (state.quit_requested) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(state.quit_code);
        state.quit_requested = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message)
{
    record_call("TranslateMessage", {double(message->message), double(message->wParam)});
    return message->message == WM_KEYDOWN || message->message == WM_KEYUP;
}

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    record_call("DispatchMessageA", {double(message->message), double(message->wParam)});
    if (message->hwnd == NULL)
        return 0;
    return state.window_proc(message->hwnd, message->message, message->wParam, message->lParam);
}

HDC WINAPI GetDC(HWND window)
{
    record_call("GetDC", {as_number(window)});
    return fake_device_context();
}

int WINAPI ReleaseDC(HWND window, HDC device_context)
{
    record_call("ReleaseDC", {as_number(window), as_number(device_context)});
    fake_failure(false);
    return 1;
}

int WINAPI ChoosePixelFormat(HDC device_context, const PIXELFORMATDESCRIPTOR* request)
{
    record_call("ChoosePixelFormat", {as_number(device_context)});
    state.chosen_request = *request;
    return fake_failure(state.fail_choose_format) ? 0 : 7;
}

BOOL WINAPI SetPixelFormat(HDC device_context, int format, const PIXELFORMATDESCRIPTOR* request)
{
    record_call("SetPixelFormat", {as_number(device_context), double(format)});
    state.set_request = *request;
    state.set_format = format;
    return fake_failure(state.fail_set_format) ? FALSE : TRUE;
}

BOOL WINAPI SwapBuffers(HDC device_context)
{
    record_call("SwapBuffers", {as_number(device_context)});
    ++state.swaps;
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC device_context)
{
    record_call("wglCreateContext", {as_number(device_context)});
    return fake_failure(state.fail_create_context) ? NULL : fake_rendering_context();
}

BOOL WINAPI wglMakeCurrent(HDC device_context, HGLRC context)
{
    record_call("wglMakeCurrent", {as_number(device_context), as_number(context)});
    return fake_failure(state.fail_make_current && context != NULL) ? FALSE : TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context)
{
    record_call("wglDeleteContext", {as_number(context)});
    fake_failure(false);
    return TRUE;
}

void WINAPI Sleep(DWORD milliseconds)
{
    record_call("Sleep", {double(milliseconds)});
}

DWORD WINAPI GetLastError(void) { return state.last_error; }
void WINAPI SetLastError(DWORD error) { state.last_error = error; }
