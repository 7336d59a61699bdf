// What libraries write on stderr while the layer starts them.  Loaders and
// drivers talk there (libwayland about XDG_RUNTIME_DIR, Mesa's loader, Xlib
// about authorisation); a viewer that starts shows none of it, and one that
// cannot start prints one line of its own whose cause may be their words.
#include "posix.h"

#include "../common/backend.h"

#include <atomic>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

// The real stderr while capturing.  NOTE: atomic, as a library may ask
// posix_chatter_capturing from a thread of its own (SDL's log callback).
static std::atomic<int> chatter_saved_stderr{-1};
static int chatter_file = -1;          // the capture
static const char* chatter_what = "";  // the step, for the line an abort gets
static bool chatter_kept = false;      // the capture lasts until the process ends
// Signals by which a library ends the process when it fails inside.
static const int chatter_fatal_signals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
static const int chatter_fatal_count = sizeof chatter_fatal_signals / sizeof chatter_fatal_signals[0];
static struct sigaction chatter_previous_actions[chatter_fatal_count];
static char chatter_line[256];

// The last non-empty line of `text` (length bytes), trimmed, into `line`.
static void chatter_last_line(const char* text, size_t length, char* line, size_t size)
{
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == ' ' || text[length - 1] == '\r'))
        --length;
    size_t start = length;
    while (start > 0 && text[start - 1] != '\n')
        --start;
    size_t taken = length - start;
    if (taken >= size)
        taken = size - 1;
    memcpy(line, text + start, taken);
    line[taken] = '\0';
}

// Reads back the capture's last line; async-signal-safe.
static void chatter_read_last_line(char* line, size_t size)
{
    static char text[4096];
    line[0] = '\0';
    if (chatter_file < 0)
        return;
    const off_t end = lseek(chatter_file, 0, SEEK_END);
    const off_t start = end > static_cast<off_t>(sizeof text) ? end - static_cast<off_t>(sizeof text) : 0;
    const ssize_t length = pread(chatter_file, text, sizeof text, start);
    if (length > 0)
        chatter_last_line(text, static_cast<size_t>(length), line, size);
}

static const char* chatter_signal_words(int signal_number)
{
    switch (signal_number) {
    case SIGABRT: return "a library aborted";
    case SIGSEGV: return "a library crashed (segmentation fault)";
    case SIGBUS: return "a library crashed (bus error)";
    case SIGFPE: return "a library crashed (arithmetic exception)";
    default: return "a library crashed (illegal instruction)";
    }
}

// NOTE: libraries fail hard inside their start-up when memory runs out:
// libX11 asserts (abort), Mesa's driver dereferences an allocation it never
// checked.  Their text went into the capture.  Turn the crash into the one
// failure line, with their last words when they said any.
// NOTE: the library that crashed holds whatever it held (the display's lock,
// half-made windows): nothing of the program can run after it, so the run
// ends here, from the handler, not through the program's own end.
static void chatter_fatal_signal(int signal_number)
{
    static char line[256];
    chatter_read_last_line(line, sizeof line);
    layer_end_run_from_signal(chatter_saved_stderr, chatter_what, chatter_signal_words(signal_number), line);
}

void posix_chatter_begin(const char* what)
{
    if (chatter_saved_stderr >= 0)
        return;
    fflush(stderr);
    chatter_what = what;
    chatter_file = memfd_create("layer-chatter", MFD_CLOEXEC);
    if (chatter_file < 0)
        chatter_file = open("/dev/null", O_RDWR | O_CLOEXEC);
    chatter_saved_stderr = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (chatter_file < 0 || chatter_saved_stderr < 0) {
        if (chatter_saved_stderr >= 0)
            close(chatter_saved_stderr);
        if (chatter_file >= 0)
            close(chatter_file);
        chatter_saved_stderr = chatter_file = -1;
        return;
    }
    dup2(chatter_file, STDERR_FILENO);
    struct sigaction action = {};
    action.sa_handler = chatter_fatal_signal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < chatter_fatal_count; ++i)
        sigaction(chatter_fatal_signals[i], &action, &chatter_previous_actions[i]);
}

bool posix_chatter_capturing()
{
    return chatter_saved_stderr >= 0;
}

void posix_chatter_keep(const char* what)
{
    posix_chatter_begin(what);
    chatter_kept = chatter_saved_stderr >= 0;
}

const char* posix_chatter_end()
{
    chatter_line[0] = '\0';
    if (chatter_saved_stderr < 0 || chatter_kept)
        return chatter_line;
    fflush(stderr);
    for (int i = 0; i < chatter_fatal_count; ++i)
        sigaction(chatter_fatal_signals[i], &chatter_previous_actions[i], nullptr);
    dup2(chatter_saved_stderr, STDERR_FILENO);
    close(chatter_saved_stderr);
    chatter_saved_stderr = -1;
    chatter_read_last_line(chatter_line, sizeof chatter_line);
    close(chatter_file);
    chatter_file = -1;
    return chatter_line;
}
