// The null backend's input, clock and waiting: scripted keys, close requests
// and exposures, handed to the front one at a time as PeekMessageA reads
// them; a clock that moves only when the program sleeps.
#include "null_backend.h"

#include <deque>

struct input_event {
    enum { key, close, expose } kind;
    backend_window* window;
    layer_key pressed;
};

static std::deque<input_event> input_pending;
static DWORD input_clock = 0;

void null_press_key(backend_window* window, int virtual_key, bool down, int modifiers)
{
    // The US keyboard's first key with that virtual key (of a pair, the left).
    int usage = 0;
    while (usage < 256 && layer_virtual_key(usage) != virtual_key)
        ++usage;
    input_pending.push_back({input_event::key, window, {usage, down, false, modifiers}});
}

void null_request_close(backend_window* window)
{
    input_pending.push_back({input_event::close, window, {}});
}

void null_expose(backend_window* window)
{
    input_pending.push_back({input_event::expose, window, {}});
}

void null_reset_input()
{
    input_pending.clear();
}

void backend_peek_starts()
{
    null_tell("peek_starts");
}

// Hands over events until one makes a message, as a window system's queue
// is read.
void backend_pump_events()
{
    while (!input_pending.empty()) {
        const input_event event = input_pending.front();
        input_pending.pop_front();
        if (event.kind == input_event::expose)
            layer_expose(event.window);
        else if (event.kind == input_event::key ? layer_queue_key(event.window, event.pressed)
                                                : layer_queue_close(event.window))
            return;
    }
}

DWORD backend_now()
{
    return input_clock;
}

void backend_sleep(DWORD milliseconds)
{
    null_tell("sleep", {double(milliseconds)});
    input_clock += milliseconds;
}
