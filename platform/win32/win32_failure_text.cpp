#include "failure_text.h"

#include <windows.h>

#include <stdio.h>

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

// Whether standard error leads anywhere: a console, a file, a pipe or a
// device such as NUL.  A GUI program that Explorer or the Start menu starts
// has no standard handles at all.
static bool standard_error_is_open()
{
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    if (handle == NULL || handle == INVALID_HANDLE_VALUE)
        return false;
    return GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

void show_failure_line(const char* program_name, const char* line)
{
    if (standard_error_is_open()) {
        fprintf(stderr, "%s\n", line);
        return;
    }
    // Nobody would see standard error: a viewer that vanished without a word
    // would be a failure reported to nobody.
    MessageBoxA(NULL, line, program_name, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
