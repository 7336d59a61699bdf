// The backend contract suite over the null backend.
#include "backend_driver.h"

#include "null_backend.h"

const backend_driver contract_driver = {
    "null",
    [] {},
    null_reset,
    [](const layer_key& key) { null_press(nullptr, key); },
    [] { null_request_close(nullptr); },
    []() -> const void* { return null_current_context(); },
    [](DWORD error) { null_fail_next(null_make_current, error, "refused"); },
};
