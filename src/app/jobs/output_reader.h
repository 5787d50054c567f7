#pragma once

namespace Rilk {

/// What an output is, as far as its reader can leave it: only a pipe and a socket have a
/// reader that can go away while the program writes nothing. A file, a terminal (whose
/// closing is SIGHUP) and anything else are never taken for closed.
enum class OutputChannel { Other, Pipe, Socket };

/// The channel of the open file `fd`; `Other` when it cannot be asked.
OutputChannel outputChannel(int fd);

/// Whether the reader of `fd`, an output of `channel`, has gone, so that the next write to it
/// would fail (`EPIPE`): a pipe with no reader left, or a socket whose peer closed it or
/// that holds an error. Asks without waiting; always false for `Other`.
bool outputReaderGone(int fd, OutputChannel channel);

/// `outputReaderGone` for standard output, whose channel is asked once, at the first call:
/// a closed output is seen also while rilk writes nothing, as while a silent command runs.
bool standardOutputReaderGone();

}  // namespace Rilk
