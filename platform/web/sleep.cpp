// Sleep in milliseconds: the program's stack is put aside and the browser
// runs (draws, hands over events) until the time is up.
#include <windows.h>

#include <emscripten/emscripten.h>

void WINAPI Sleep(DWORD milliseconds)
{
    emscripten_sleep(milliseconds);
}
