// What the SDL layer's own start-up sets up, open to the programs that run a
// viewer's loop without it (tests, benchmarks): SIGINT, SIGTERM and SIGHUP as
// close requests, and the capture of what a starting library says.  Only the
// SDL layer implements these.
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

// Libraries' stderr, captured while the layer starts them (sdl_chatter.cpp).
// Sends stderr to a capture; `what` names the step ("cannot create the
// window") for the one line printed should a library abort inside it.
void layer_chatter_begin(const char* what);
// Gives stderr back; returns the capture's last non-empty line ("" if none).
const char* layer_chatter_end();
