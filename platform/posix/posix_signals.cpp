// SIGINT/SIGTERM/SIGHUP noted by an async-signal-safe handler; PeekMessageA
// turns the note into a close request once a window exists.  A watchdog ends
// the run if the program does not get to take the request (stuck somewhere).
#include "posix.h"

#include <signal.h>
#include <unistd.h>

static volatile sig_atomic_t signal_noted = 0;
// The signal that started the watchdog; 0 while it is not running.
static volatile sig_atomic_t signal_watched = 0;
static unsigned signal_grace_seconds = 1;
// The signals that ask for a close: Ctrl-C, kill, and the closing of the
// terminal that started the program.
static const int signal_closing[] = {SIGINT, SIGTERM, SIGHUP};

static void signal_note(int signal_number);

static sighandler_t signal_disposition(int signal_number)
{
    struct sigaction current = {};
    sigaction(signal_number, nullptr, &current);
    return current.sa_handler;
}

static void signal_restore_default(int signal_number)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

// The close request was not taken within the grace time (the program is
// stuck waiting on something): end the run as the signal's default would.
static void signal_watchdog_expired(int)
{
    const int signal_number = signal_watched;
    if (signal_number == 0)
        return;
    signal_restore_default(signal_number);
    raise(signal_number);
}

static void signal_note(int signal_number)
{
    signal_noted = 1;
    // A second Ctrl-C (or kill) should not wait for the program's shutdown.
    for (int closing : signal_closing) {
        if (signal_disposition(closing) == signal_note)
            signal_restore_default(closing);
    }
    if (signal_watched == 0) {
        signal_watched = signal_number;
        struct sigaction action = {};
        action.sa_handler = signal_watchdog_expired;
        sigemptyset(&action.sa_mask);
        sigaction(SIGALRM, &action, nullptr);
        alarm(signal_grace_seconds);
    }
}

void posix_install_signal_handlers(unsigned grace_seconds)
{
    signal_grace_seconds = grace_seconds;
    struct sigaction action = {};
    action.sa_handler = signal_note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int closing : signal_closing) {
        // A program started with SIGHUP ignored (nohup) is meant to outlive
        // its terminal: that stays so.
        if (closing != SIGHUP || signal_disposition(SIGHUP) != SIG_IGN)
            sigaction(closing, &action, nullptr);
    }
}

bool posix_signal_pending()
{
    return signal_noted != 0;
}

void posix_clear_signal()
{
    // The program's loop runs and has the request: the program decides what
    // happens now (it shuts down in order, however long that takes).
    signal_noted = 0;
    if (signal_watched != 0) {
        alarm(0);
        signal_watched = 0;
    }
}
