// Why the last window-system call failed, in words, for the one line a viewer
// prints when it cannot start ("no display", the system's own message, ...).
#pragma once

// Never null; an empty text when there is nothing to say.
const char* last_failure_text();

// Puts a failure line (no newline) where the person who started the program
// sees it: on standard error, or, for a Windows program started with no
// standard error at all (from Explorer or the Start menu), in a message box
// titled `program_name` that waits to be closed.
void show_failure_line(const char* program_name, const char* line);
