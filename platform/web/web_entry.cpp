// The C runtime start-up of the GUI programs: main calls WinMain.  The page
// (page.html) shows how the run ended once WinMain has returned.
#include "web_backend.h"

#include <windows.h>

#include <stdlib.h>

struct win32_instance {
    int unused;
};
static win32_instance entry_instance;

int main()
{
    // A page has no command line.
    char command_line[] = "";
    char name[64];
    web_page_program_name(name, sizeof name);
    layer_set_program_name(name);
    web_page_context_states(web_context_live, web_context_lost, web_context_lost_hidden,
                            web_context_restored);
    const int result = layer_run_status(WinMain(&entry_instance, nullptr, command_line, SW_SHOWDEFAULT));
    // NOTE: with Emscripten 3.1.6 (Debian 12's), once WinMain has yielded to
    // the browser (in Sleep or SwapBuffers), main's own return value no
    // longer reaches the page: the run would end with status 0 whatever
    // WinMain said.  exit hands it over, in every version.
    exit(result);
}
