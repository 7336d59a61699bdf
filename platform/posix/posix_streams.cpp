// Standard input, output and error that the program was started without are
// opened on /dev/null, as well-behaved Unix programs do.  Otherwise the next
// file opened (the display connection) would take descriptor 2, and any
// library's message to stderr would go into it.
#include "posix.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

void posix_open_standard_streams()
{
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        // The lowest free descriptor is the closed one; anything else is a
        // second copy that is not needed.
        if (opened > STDERR_FILENO)
            close(opened);
    }
}
