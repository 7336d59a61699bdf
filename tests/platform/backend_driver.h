// What the backend contract suite (backend_contract_test.cpp) needs of a
// backend beyond the Win32 calls: a handful of things a test does to or asks
// of the window system.  Each backend's test program links the suite and
// defines its backend's driver as `contract_driver`; the cases carry its name
// (backend/backend_contract.CASE/null).  A new backend proves itself by
// passing every case over a driver of its own.
#pragma once

#include "../../platform/common/backend.h"

struct backend_driver {
    const char* name;
    // Before each case (a video driver to pick), and after it, once the
    // case's windows are gone: the backend's own reset, if it has one.
    void (*set_up)();
    void (*tear_down)();
    // A key pressed or released, or the window manager's close request, for
    // the oldest window, as the window system delivers them.
    void (*press)(const layer_key& key);
    void (*request_close)();
    // The context current as the backend sees it (its own handle); NULL when
    // none is.
    const void* (*current_context)();
    // Makes the backend refuse the next backend_make_current with this
    // error; NULL when the backend cannot be made to.
    void (*fail_next_make_current)(DWORD error);
};

extern const backend_driver contract_driver;
