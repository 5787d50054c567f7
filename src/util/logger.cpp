#include "util/logger.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>

namespace Rilk {

int verbosity = 5;
const unsigned levelColors[7] = {35, 33, 36, 208, 37, 33, 31};
std::atomic<unsigned char> consoleLock{0};
std::string logIndent;

namespace {

/// Why the first flush of standard output failed; 0 while none did. Guarded by the
/// console lock.
int consoleWriteError = 0;

/// Holds the console lock for a scope; released however the scope ends.
class ConsoleLockScope {
public:
    ConsoleLockScope() {
        while (consoleLock.exchange(1) == 1) sched_yield();
    }
    ~ConsoleLockScope() { consoleLock.store(0, std::memory_order_release); }
    ConsoleLockScope(const ConsoleLockScope&) = delete;
    ConsoleLockScope& operator=(const ConsoleLockScope&) = delete;
};

/// Appends `text` to `out` with `logIndent` before each line, the last one too when it
/// has no line end.
void appendIndented(std::string& out, std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        out += logIndent;
        out.append(text, start, next - start);
        start = next;
    }
}

}  // namespace

namespace {

/// Whether standard output is a terminal: -1 until asked. A build prints thousands of
/// messages and each question is a system call, while the answer cannot change unless the
/// process itself moves its standard output, which only a forked child does (the test
/// harness): a child asks anew.
std::atomic<int> stdoutTerminal{-1};

void forgetStdoutTerminal() { stdoutTerminal.store(-1, std::memory_order_relaxed); }

}  // namespace

bool isStdoutTerminal() {
    int known = stdoutTerminal.load(std::memory_order_relaxed);
    if (known < 0) {
        static const int forgetInChildren = pthread_atfork(nullptr, nullptr, forgetStdoutTerminal);
        static_cast<void>(forgetInChildren);
        known = isatty(fileno(stdout)) != 0 ? 1 : 0;
        stdoutTerminal.store(known, std::memory_order_relaxed);
    }
    return known == 1;
}

std::string indentText(const std::string& text) {
    if (logIndent.empty() || text.empty()) return text;
    std::string out;
    out.reserve(text.size() + logIndent.size() * 2);
    appendIndented(out, text);
    return out;
}

namespace {

/// `indentText` of `text`, built in a buffer that only the holder of the console lock
/// touches and that keeps its room, so a message costs no allocation once the buffer has
/// grown to the longest message.
std::string_view indentUnderLock(std::string_view text) {
    if (logIndent.empty() || text.empty()) return text;
    static std::string buffer;
    buffer.clear();
    appendIndented(buffer, text);
    return buffer;
}

/// Appends to standard output's buffer. `std::cout` writes through the same buffer (it
/// stays synchronised with C I/O), so the order of everything printed is kept; this way
/// skips the stream's per-call checks, which a build pays for on every message. Called under
/// the console lock; notes why a write of a full buffer failed.
void put(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && consoleWriteError == 0) {
        consoleWriteError = errno;
    }
}

/// Writes a formatted message in the given colour, prefixed, as one piece.
void writeText(unsigned color, std::string_view text) {
    ConsoleLockScope lock;
    const std::string_view indented = indentUnderLock(text);
    if (isStdoutTerminal()) {
        if (color == 208) {
            put("\033[38;5;208m");
        } else {
            put(fmt::format("\033[{}m", color));
        }
        put(indented);
        put("\033[0m");
    } else {
        put(indented);
    }
}

}  // namespace

void writeColored(unsigned color, const std::string& text) { writeText(color, text); }

void flushConsole() {
    ConsoleLockScope lock;
    if (std::fflush(stdout) != 0 && consoleWriteError == 0) consoleWriteError = errno;
    std::cout.flush();
}

int finishConsole(int status) {
    ConsoleLockScope lock;
    // Standard output's own flush first: the stream's flush would flush it too, and a
    // second flush finds nothing left to fail on.
    if (std::fflush(stdout) != 0 && consoleWriteError == 0) consoleWriteError = errno;
    std::cout.flush();
    if (consoleWriteError == 0 && !std::ferror(stdout)) return status;
    // A reader that left (as `rilk | head` leaves the pipe) is told nothing more: the run
    // ends as a run stopped by its closed output does.
    if (consoleWriteError == EPIPE) return status == 0 ? 1 : status;
    std::fprintf(stderr, "Error: Cannot write to standard output%s%s.\n",
                 consoleWriteError == 0 ? "" : ": ",
                 consoleWriteError == 0 ? "" : std::strerror(consoleWriteError));
    std::fflush(stderr);
    return status == 0 ? 1 : status;
}

void printColored(unsigned color, std::string_view text) {
    // Without braces the text formats to itself.
    if (text.find('{') == std::string_view::npos && text.find('}') == std::string_view::npos) {
        writeText(color, text);
    } else {
        writeColored(color, fmt::vformat(text, fmt::format_args{}));
    }
}

unsigned colorForLevel(int level) { return level >= 1 && level <= 7 ? levelColors[level - 1] : 37; }

void log(int level, std::string_view text) {
    if (level < verbosity) return;
    printColored(colorForLevel(level), text);
}

LogIndentGuard::LogIndentGuard(std::string prefix) {
    ConsoleLockScope lock;
    saved_ = std::move(logIndent);
    logIndent = std::move(prefix);
}

LogIndentGuard::~LogIndentGuard() {
    ConsoleLockScope lock;
    logIndent = std::move(saved_);
}

void terminateHandler() {
    std::exception_ptr current = std::current_exception();
    if (!current) std::abort();
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    } catch (...) {
        try {
            log(LogLevel::Error, "Unknown exception!\n");
        } catch (...) {
        }
    }
    // abort does not flush: without this, everything still buffered for a pipe or a file,
    // the report above included, would be lost.
    std::cout.flush();
    std::fflush(stdout);
    std::abort();
}

}  // namespace Rilk
