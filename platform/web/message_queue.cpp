// The page's side of the message queue: the clock, and the bound on waiting
// input.  The page's events arrive while the program yields (in SwapBuffers
// and Sleep) and wait in the input stage; there is nothing to read at
// PeekMessageA.
#include "layer.h"

#include <emscripten/emscripten.h>

// NOTE: the browser hands over every event that came in during a yield
// before the program runs again; a key held down or a script sending keys
// by the thousand must not make the next frame wait for all of them.  Past
// this many waiting messages, further input is dropped, except the keys
// and requests that end the run.
static const size_t queue_input_limit = 256;

DWORD layer_now()
{
    return static_cast<DWORD>(emscripten_get_now());
}

void layer_peek_starts()
{
}

void layer_pump_input()
{
}

// Messages that may end the run: never dropped.
static bool queue_is_ending(const MSG& message)
{
    const bool key = message.message == WM_KEYDOWN || message.message == WM_KEYUP ||
                     message.message == WM_SYSKEYDOWN || message.message == WM_SYSKEYUP;
    return message.message == WM_SYSCOMMAND || (key && (message.wParam == VK_ESCAPE || message.wParam == VK_F4));
}

bool layer_queue_input(const MSG& message, int modifiers)
{
    std::deque<layer_queued_input>& input = layer_input_stage();
    if (input.size() >= queue_input_limit && !queue_is_ending(message))
        return false;
    input.push_back({message, modifiers});
    return true;
}
