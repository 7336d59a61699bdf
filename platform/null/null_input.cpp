// The null backend's input, clock and waiting: scripted keys, close requests
// and exposures, handed to the front one at a time as PeekMessageA reads
// them; a clock that moves only when the program sleeps.
#include "null_backend.h"

void null_press(backend_window* window, const layer_key& key)
{
    null.pending.push_back({null_event::key, window, key});
}

void null_press_key(backend_window* window, int virtual_key, bool down, int modifiers)
{
    int usage = 0;
    while (usage < 256 && layer_virtual_key(usage) != virtual_key)
        ++usage;
    null_press(window, {usage, down, false, modifiers});
}

void null_request_close(backend_window* window)
{
    null.pending.push_back({null_event::close, window, {}});
}

void null_expose(backend_window* window)
{
    null.pending.push_back({null_event::expose, window, {}});
}

void backend_peek_starts()
{
    null_tell("peek_starts");
}

// Hands over events until one makes a message, as a window system's queue
// is read.
void backend_pump_events()
{
    while (!null.pending.empty()) {
        const null_event event = null.pending.front();
        null.pending.pop_front();
        if (event.kind == null_event::expose)
            layer_expose(event.window);
        else if (event.kind == null_event::key ? layer_queue_key(event.window, event.pressed)
                                               : layer_queue_close(event.window))
            return;
    }
}

DWORD backend_now()
{
    return null.clock;
}

void backend_sleep(DWORD milliseconds)
{
    null_tell("sleep", {double(milliseconds)});
    null.clock += milliseconds;
}
