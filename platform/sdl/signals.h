// SIGINT and SIGTERM as close requests, installed by the C runtime start-up.
#pragma once

// Installs handlers that note the first SIGINT or SIGTERM and restore the
// default disposition, so that a second one ends the process at once.
void layer_install_signal_handlers();

// True while a noted signal waits to become a close request.
bool layer_signal_pending();
void layer_clear_signal();
