#include "failure_text.h"

#include <windows.h>

// The system's own message for GetLastError, without its trailing newline.
// No error recorded means no known cause: an empty text, never the system's
// "The operation completed successfully".
const char* last_failure_text()
{
    static char text[256];
    const DWORD error = GetLastError();
    if (error == ERROR_SUCCESS)
        return "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == '.'))
        text[--length] = '\0';
    if (length == 0)
        wsprintfA(text, "error %lu", static_cast<unsigned long>(error));
    return text;
}
