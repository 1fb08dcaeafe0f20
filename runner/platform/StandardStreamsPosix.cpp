#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

#include "runner/StandardStreams.h"

void PrepareStandardStreams()
{
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (fcntl(stream, F_GETFD) == -1) {
            // Open the other way round: reads of a closed input, writes to a closed output fail.
            const int standIn = open("/dev/null", stream == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            if (standIn != -1 && standIn != stream) {
                dup2(standIn, stream);
                close(standIn);
            }
        }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN); // a file grown past its limit fails its write instead
}
