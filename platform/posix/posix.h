// What any Linux backend links, whatever its window system: SIGINT, SIGTERM
// and SIGHUP as close requests, the capture of what a starting library says
// on stderr, and the standard streams a program was started without.  A
// backend's start-up calls posix_open_standard_streams and
// posix_install_signal_handlers; the programs that run a viewer's loop
// without that start-up (tests, benchmarks) call them too.
#pragma once

// Opens the standard streams the program was started without on /dev/null,
// so that the next file opened (a display connection) does not become
// stderr.  Must run before anything opens a file.
void posix_open_standard_streams();

// Installs handlers that note the first SIGINT, SIGTERM or SIGHUP (unless
// SIGHUP was ignored at start, as under nohup) and restore the default
// dispositions, so that a second one ends the process at once.  The
// first also starts a watchdog: if its close request has not been taken
// `grace_seconds` later, the signal's default action ends the process.
void posix_install_signal_handlers(unsigned grace_seconds = 1);

// True while a noted signal waits to become a close request.
bool posix_signal_pending();
// Forgets a noted signal (it has become a close request) and stops its
// watchdog.
void posix_clear_signal();

// Libraries' stderr, captured while a backend starts them (posix_chatter.cpp).
// Sends stderr to a capture; `what` names the step ("cannot create the
// window") for the one line printed should a library abort inside it.  Does
// nothing while a capture is on.
void posix_chatter_begin(const char* what);
// True while stderr goes to the capture.
bool posix_chatter_capturing();
// Gives stderr back; returns the capture's last non-empty line ("" if none).
// Does nothing once the capture is kept.
const char* posix_chatter_end();
// Captures stderr until the process ends, as posix_chatter_begin does, once
// the run has said why it ends (a lost display): the caller's capture, if
// one was on and has been ended to print that line, is not given back.
void posix_chatter_keep(const char* what);
