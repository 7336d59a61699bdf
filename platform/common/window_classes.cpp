// Window classes, and the stock icon, cursor and brush the programs ask for.
#include "layer_common.h"

#include <string>
#include <strings.h>
#include <vector>

struct class_record {
    std::string name;
    ATOM atom;
    WNDPROC procedure;
};

// Registered classes live until the process ends, as on Windows.
static std::vector<class_record> class_records;

// Win32 allocates class atoms from 0xC000 up.
static const ATOM class_first_atom = 0xC000;

// Atoms passed as names (MAKEINTATOM) are values below 0x10000.
static bool class_name_is_atom(LPCSTR name)
{
    return reinterpret_cast<uintptr_t>(name) < 0x10000;
}

static const class_record* class_find(LPCSTR name)
{
    if (!name)
        return nullptr;
    for (const class_record& record : class_records) {
        if (class_name_is_atom(name) ? record.atom == reinterpret_cast<uintptr_t>(name)
                                     : strcasecmp(record.name.c_str(), name) == 0)
            return &record;
    }
    return nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* window_class)
{
    if (!window_class || !window_class->lpszClassName || !window_class->lpfnWndProc ||
        class_name_is_atom(window_class->lpszClassName)) {
        layer_fail(ERROR_INVALID_PARAMETER, "a window class needs a name and a window procedure");
        return 0;
    }
    if (class_find(window_class->lpszClassName)) {
        layer_fail(ERROR_CLASS_ALREADY_EXISTS, "the window class is already registered");
        return 0;
    }
    const ATOM atom = static_cast<ATOM>(class_first_atom + class_records.size());
    class_records.push_back({window_class->lpszClassName, atom, window_class->lpfnWndProc});
    return atom;
}

WNDPROC layer_class_procedure(LPCSTR class_name)
{
    const class_record* record = class_find(class_name);
    return record ? record->procedure : nullptr;
}

// The stock objects: distinct addresses the programs only pass back to us.
struct win32_icon {
    int unused;
};
struct win32_cursor {
    int unused;
};
struct win32_gdi_object {
    int unused;
};
static win32_icon class_application_icon;
static win32_cursor class_arrow_cursor;
static win32_gdi_object class_black_brush;

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (!instance && name == IDI_APPLICATION)
        return &class_application_icon;
    layer_fail(ERROR_RESOURCE_NAME_NOT_FOUND, "only the stock application icon is available");
    return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (!instance && name == IDC_ARROW)
        return &class_arrow_cursor;
    layer_fail(ERROR_RESOURCE_NAME_NOT_FOUND, "only the stock arrow cursor is available");
    return nullptr;
}

HGDIOBJ WINAPI GetStockObject(int object)
{
    if (object == BLACK_BRUSH)
        return &class_black_brush;
    layer_fail(ERROR_INVALID_PARAMETER, "only the black stock brush is available");
    return nullptr;
}
