// The null backend's GL contexts: records, which one is current, and the
// swaps counted.  Nothing is drawn: GL calls go wherever the program links
// them (the tests' recorder).
#include "null_backend.h"

backend_context* null_current_context()
{
    return null.current;
}

backend_window* null_drawing_window()
{
    return null.drawing;
}

long null_swaps()
{
    return null.swaps;
}

backend_context* backend_create_context(backend_window* window)
{
    null_tell("create_context");
    if (null_fails(null_create_context))
        return nullptr;
    return new backend_context{window};
}

// Any window of the context's pixel format will do, as with WGL.
bool backend_make_current(backend_context* context, backend_window* window)
{
    null_tell("make_current");
    if (null_fails(null_make_current))
        return false;
    null.current = context;
    null.drawing = window;
    return true;
}

void backend_release_current()
{
    null_tell("release_current");
    null.current = nullptr;
    null.drawing = nullptr;
}

void backend_delete_context(backend_context* context)
{
    null_tell("delete_context");
    if (null.current == context) {
        null.current = nullptr;
        null.drawing = nullptr;
    }
    delete context;
}

void backend_swap(backend_window*)
{
    ++null.swaps;
    null_tell("swap");
}
