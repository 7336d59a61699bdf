// The thread's message queue, in Windows' order: posted messages first in,
// first out; then WM_QUIT once requested; then input; then WM_PAINT.
// PeekMessageA never waits; Sleep does.  What enters the input stage, and
// when, is each backend's own (layer_queue_input, backend_pump_events).
#include "layer_common.h"

// NOTE: a backend may hand over many events at once (the browser hands over
// every event that came in during a yield); a key held down or a script
// sending keys by the thousand must not make the next frame wait for all of
// them.  Past this many waiting messages, further input is dropped, except
// the keys and requests that end the run.
static const size_t queue_input_limit = 256;

static MSG queue_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    MSG made = {window, message, wparam, lparam, backend_now(), {0, 0}};
    return made;
}

static bool queue_accepts(const MSG& message, HWND filter, UINT first, UINT last)
{
    if (filter && message.hwnd != filter)
        return false;
    return (first == 0 && last == 0) || (message.message >= first && message.message <= last);
}

static bool queue_is_key_message(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    // A NULL window posts to the thread, as PostThreadMessage would.
    if (window && !layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return FALSE;
    }
    layer_front.posted.push_back(queue_message(window, message, wparam, lparam));
    return TRUE;
}

void WINAPI PostQuitMessage(int exit_code)
{
    // NOTE: Wine keeps the last exit code when several requests merge.  A run
    // that has failed ends with status 1 whatever is asked after it.
    layer_front.quit_requested = true;
    layer_front.quit_code = layer_run_failed() ? 1 : exit_code;
}

// WM_QUIT, if requested, into `message`.
static bool queue_take_quit(MSG* message, bool removing)
{
    if (!layer_front.quit_requested)
        return false;
    *message = queue_message(nullptr, WM_QUIT, static_cast<WPARAM>(layer_front.quit_code), 0);
    if (removing)
        layer_front.quit_requested = false;
    return true;
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filter_min, UINT filter_max, UINT remove)
{
    if (!message) {
        layer_fail(ERROR_INVALID_PARAMETER, "no MSG to fill");
        return FALSE;
    }
    if (window && !layer_is_window(window)) {
        layer_fail(ERROR_INVALID_WINDOW_HANDLE, "not a window");
        return FALSE;
    }
    const bool removing = (remove & PM_REMOVE) != 0;
    backend_peek_starts();

    for (auto posted = layer_front.posted.begin(); posted != layer_front.posted.end(); ++posted) {
        if (queue_accepts(*posted, window, filter_min, filter_max)) {
            *message = *posted;
            if (removing)
                layer_front.posted.erase(posted);
            return TRUE;
        }
    }

    // WM_QUIT is retrieved whatever the filter; reading the backend's events
    // may request it (a run that ends with a failure), and then it comes
    // before any input.
    if (queue_take_quit(message, removing))
        return TRUE;
    if (layer_front.input.empty()) {
        backend_pump_events();
        if (queue_take_quit(message, removing))
            return TRUE;
    }
    for (auto input = layer_front.input.begin(); input != layer_front.input.end(); ++input) {
        if (queue_accepts(input->message, window, filter_min, filter_max)) {
            *message = input->message;
            if (removing) {
                // The key state TranslateMessage sees is the one of the key
                // message last taken off the queue, as GetKeyState is.
                if (queue_is_key_message(input->message.message))
                    layer_front.key_modifiers = input->modifiers;
                layer_front.input.erase(input);
            }
            return TRUE;
        }
    }

    // WM_PAINT is never removed here: it comes back until the window is
    // validated (DefWindowProcA does that).
    if (HWND painting = layer_window_needing_paint(window)) {
        MSG paint = queue_message(painting, WM_PAINT, 0, 0);
        if (queue_accepts(paint, window, filter_min, filter_max)) {
            *message = paint;
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    // WM_QUIT and other thread messages reach no window procedure.
    if (!message || !message->hwnd)
        return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

void layer_forget_window_messages(HWND window)
{
    for (auto posted = layer_front.posted.begin(); posted != layer_front.posted.end();)
        posted = posted->hwnd == window ? layer_front.posted.erase(posted) : posted + 1;
    for (auto input = layer_front.input.begin(); input != layer_front.input.end();)
        input = input->message.hwnd == window ? layer_front.input.erase(input) : input + 1;
}

bool layer_message_waiting()
{
    return !layer_front.posted.empty() || layer_front.quit_requested || !layer_front.input.empty();
}

// Messages that may end the run: never dropped.
static bool queue_is_ending(const MSG& message)
{
    return message.message == WM_SYSCOMMAND ||
           (queue_is_key_message(message.message) && (message.wParam == VK_ESCAPE || message.wParam == VK_F4));
}

bool layer_queue_input(const MSG& message, int modifiers)
{
    if (layer_front.input.size() >= queue_input_limit && !queue_is_ending(message))
        return false;
    layer_front.input.push_back({message, modifiers});
    return true;
}

bool layer_queue_close(backend_window* native)
{
    HWND window = layer_window_of_native(native);
    if (!window)
        return false;
    layer_queue_input(queue_message(window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    return true;
}

void WINAPI Sleep(DWORD milliseconds)
{
    backend_sleep(milliseconds);
}

int layer_key_modifiers()
{
    return layer_front.key_modifiers;
}
