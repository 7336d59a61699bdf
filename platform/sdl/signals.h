// SIGINT, SIGTERM and SIGHUP as close requests, installed by the C runtime
// start-up.
#pragma once

// Installs handlers that note the first SIGINT, SIGTERM or SIGHUP (unless
// SIGHUP was ignored at start, as under nohup) and restore the default
// dispositions, so that a second one ends the process at once.  The
// first also starts a watchdog: if its close request has not been taken
// `grace_seconds` later, the signal's default action ends the process.
void layer_install_signal_handlers(unsigned grace_seconds = 1);

// True while a noted signal waits to become a close request.
bool layer_signal_pending();
// Forgets a noted signal (it has become a close request) and stops its
// watchdog.
void layer_clear_signal();
