// The C runtime start-up of the GUI programs: main calls WinMain.  The page
// (page.html) shows how the run ended once main has returned.
#include <windows.h>

struct win32_instance {
    int unused;
};
static win32_instance entry_instance;

int main()
{
    // A page has no command line.
    char command_line[] = "";
    return WinMain(&entry_instance, nullptr, command_line, SW_SHOWDEFAULT);
}
