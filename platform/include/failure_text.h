// Why the last window-system call failed, in words, for the one line a viewer
// prints when it cannot start ("no display", the system's own message, ...).
#pragma once

// Never null; an empty text when there is nothing to say.
const char* last_failure_text();
