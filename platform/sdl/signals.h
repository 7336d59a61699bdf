// SIGINT and SIGTERM as close requests, installed by the C runtime start-up.
#pragma once

// Installs handlers that note the first SIGINT or SIGTERM and restore the
// default disposition, so that a second one ends the process at once.  The
// first also starts a watchdog: if the process still runs `grace_seconds`
// later, the signal's default action ends it.
void layer_install_signal_handlers(unsigned grace_seconds = 1);

// True while a noted signal waits to become a close request.
bool layer_signal_pending();
// Takes the noted signal as the close request it becomes; the watchdog runs on.
void layer_take_signal();
// Forgets a noted signal and stops its watchdog.
void layer_clear_signal();
