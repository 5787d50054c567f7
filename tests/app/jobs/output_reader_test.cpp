#include "app/jobs/output_reader.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace Rilk {
namespace {

/// An output to ask about and, where it has one, the other end of it; both closed at the end.
struct Output {
    int fd = -1;
    int other = -1;
    ~Output() {
        if (fd >= 0) ::close(fd);
        if (other >= 0) ::close(other);
    }
    /// Closes the other end: the reader leaves, or the writer of a read end.
    void closeOther() {
        ::close(other);
        other = -1;
    }
};

// Only a pipe or a socket whose reader left is a closed output; a file, a terminal whose
// other side closed and the read end of a pipe are never taken for one.
TEST(OutputReader, GoneOnlyForAPipeOrSocketWhoseReaderLeft) {
    RilkTest::TempDir dir;
    struct Case {
        const char* what;
        std::function<void(Output&)> open;
        bool closeOther;
        OutputChannel channel;
        bool gone;
    };
    const auto pipeWriteEnd = [](Output& out) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        out.fd = ends[1];
        out.other = ends[0];
    };
    const auto pipeReadEnd = [](Output& out) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        out.fd = ends[0];
        out.other = ends[1];
    };
    const auto socket = [](Output& out) {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        out.fd = ends[0];
        out.other = ends[1];
    };
    const auto terminal = [](Output& out) {
        int master = -1, replica = -1;
        ASSERT_EQ(::openpty(&master, &replica, nullptr, nullptr, nullptr), 0);
        out.fd = replica;
        out.other = master;
    };
    const auto file = [&](Output& out) {
        out.fd = ::open((dir.path() / "f").c_str(), O_WRONLY | O_CREAT, 0644);
    };
    const Case cases[] = {
        {"pipe with its reader", pipeWriteEnd, false, OutputChannel::Pipe, false},
        {"pipe whose reader left", pipeWriteEnd, true, OutputChannel::Pipe, true},
        {"read end of a pipe whose writer left", pipeReadEnd, true, OutputChannel::Pipe, false},
        {"socket with its peer", socket, false, OutputChannel::Socket, false},
        {"socket whose peer closed", socket, true, OutputChannel::Socket, true},
        {"terminal whose other side closed", terminal, true, OutputChannel::Other, false},
        {"file", file, false, OutputChannel::Other, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Output out;
        c.open(out);
        ASSERT_GE(out.fd, 0);
        if (c.closeOther) out.closeOther();
        EXPECT_EQ(outputChannel(out.fd), c.channel);
        EXPECT_EQ(outputReaderGone(out.fd, outputChannel(out.fd)), c.gone);
    }
}

}  // namespace
}  // namespace Rilk
