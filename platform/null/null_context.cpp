// The null backend's GL contexts: records, which one is current, and the
// swaps counted.  Nothing is drawn: GL calls go wherever the program links
// them (the tests' recorder).
#include "null_backend.h"

static backend_context* context_current = nullptr;
static long context_swaps = 0;

backend_context* null_current_context()
{
    return context_current;
}

long null_swaps()
{
    return context_swaps;
}

void null_reset_contexts()
{
    context_swaps = 0;
}

backend_context* backend_create_context(backend_window* window)
{
    null_tell("create_context");
    if (null_fails(null_create_context))
        return nullptr;
    return new backend_context{window};
}

// Any window of the context's pixel format will do, as with WGL.
bool backend_make_current(backend_context* context, backend_window*)
{
    null_tell("make_current");
    if (null_fails(null_make_current))
        return false;
    context_current = context;
    return true;
}

void backend_release_current()
{
    null_tell("release_current");
    context_current = nullptr;
}

void backend_delete_context(backend_context* context)
{
    null_tell("delete_context");
    if (context_current == context)
        context_current = nullptr;
    delete context;
}

void backend_swap(backend_window*)
{
    ++context_swaps;
    null_tell("swap");
}
