// Sleep in milliseconds: the program's stack is put aside and the browser
// runs (draws, hands over events) until the time is up.
#include "layer.h"

void WINAPI Sleep(DWORD milliseconds)
{
    layer_page_sleep(milliseconds);
    layer_wait_while_context_lost();
}
