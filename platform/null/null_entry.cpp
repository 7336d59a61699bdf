// The null backend's start-up: main calls WinMain, as backend.h asks of an
// entry point.  With no window system there are no signals to turn into close
// requests, and the streams are left as they are.
#include "null_backend.h"

#include <string.h>
#include <string>

struct win32_instance {
    int unused;
};
static win32_instance entry_instance;

int main(int argc, char** argv)
{
    const char* slash = argc > 0 ? strrchr(argv[0], '/') : nullptr;
    layer_set_program_name(slash ? slash + 1 : argc > 0 ? argv[0] : "");
    // Windows passes the command line without the program name.
    std::string command_line;
    for (int i = 1; i < argc; ++i)
        command_line += (i > 1 ? " " : "") + std::string(argv[i]);
    return layer_run_status(WinMain(&entry_instance, nullptr, &command_line[0], SW_SHOWDEFAULT));
}
