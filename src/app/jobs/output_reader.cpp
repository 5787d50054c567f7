#include "app/jobs/output_reader.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Rilk {

OutputChannel outputChannel(int fd) {
    struct stat state {};
    if (fstat(fd, &state) != 0) return OutputChannel::Other;
    if (S_ISFIFO(state.st_mode)) return OutputChannel::Pipe;
    if (S_ISSOCK(state.st_mode)) return OutputChannel::Socket;
    return OutputChannel::Other;
}

bool outputReaderGone(int fd, OutputChannel channel) {
    if (channel == OutputChannel::Other) return false;
    // No event asked for: the system reports the errors and hang-ups all the same. A pipe's
    // write end reports POLLERR once no reader is left; its POLLHUP would only tell that a
    // read end lost its writers, which no output is.
    pollfd watched{fd, 0, 0};
    int ready;
    while ((ready = poll(&watched, 1, 0)) < 0 && errno == EINTR) {
    }
    if (ready <= 0) return false;
    const short gone = channel == OutputChannel::Pipe ? POLLERR : POLLERR | POLLHUP;
    return (watched.revents & gone) != 0;
}

bool standardOutputReaderGone() {
    static const OutputChannel channel = outputChannel(STDOUT_FILENO);
    return outputReaderGone(STDOUT_FILENO, channel);
}

}  // namespace Rilk
