// SIGINT/SIGTERM noted by an async-signal-safe handler; PeekMessageA turns the
// note into a close request once a window exists.
#include "signals.h"

#include <signal.h>

static volatile sig_atomic_t signal_noted = 0;

static void signal_restore_default(int signal_number)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

static void signal_note(int)
{
    signal_noted = 1;
    // A second Ctrl-C (or kill) should not wait for the program's shutdown.
    signal_restore_default(SIGINT);
    signal_restore_default(SIGTERM);
}

void layer_install_signal_handlers()
{
    struct sigaction action = {};
    action.sa_handler = signal_note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool layer_signal_pending()
{
    return signal_noted != 0;
}

void layer_clear_signal()
{
    signal_noted = 0;
}
