// Window classes, and the stock icon, cursor and brush the programs ask for.
#include "layer_common.h"

#include <string>
#include <strings.h>
#include <vector>

// Win32 allocates class atoms from 0xC000 up.
static const ATOM class_first_atom = 0xC000;

// Atoms passed as names (MAKEINTATOM) are values below 0x10000.
static bool class_name_is_atom(LPCSTR name)
{
    return reinterpret_cast<uintptr_t>(name) < 0x10000;
}

static const layer_class* class_find(LPCSTR name)
{
    if (!name)
        return nullptr;
    for (const layer_class& record : layer_front.classes) {
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
    const ATOM atom = static_cast<ATOM>(class_first_atom + layer_front.classes.size());
    layer_front.classes.push_back({window_class->lpszClassName, atom, window_class->lpfnWndProc});
    return atom;
}

WNDPROC layer_class_procedure(LPCSTR class_name)
{
    const layer_class* record = class_find(class_name);
    return record ? record->procedure : nullptr;
}


HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (!instance && name == IDI_APPLICATION)
        return &layer_front.application_icon;
    layer_fail(ERROR_RESOURCE_NAME_NOT_FOUND, "only the stock application icon is available");
    return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (!instance && name == IDC_ARROW)
        return &layer_front.arrow_cursor;
    layer_fail(ERROR_RESOURCE_NAME_NOT_FOUND, "only the stock arrow cursor is available");
    return nullptr;
}

HGDIOBJ WINAPI GetStockObject(int object)
{
    if (object == BLACK_BRUSH)
        return &layer_front.black_brush;
    layer_fail(ERROR_INVALID_PARAMETER, "only the black stock brush is available");
    return nullptr;
}
