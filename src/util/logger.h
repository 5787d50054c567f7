#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

namespace Rilk {

/// The levels of console messages, from the most talkative to errors. A message is
/// printed when its level is at least `verbosity`; `-v` alone shows `Verbose` and above.
namespace LogLevel {
inline constexpr int Trace = 1;    ///< every step of resolution and matching
inline constexpr int Debug = 2;    ///< recovered failures worth a look
inline constexpr int Verbose = 3;  ///< tool choice, input and output contexts
inline constexpr int Detail = 4;   ///< why a tool passed a variable over
inline constexpr int Info = 5;     ///< the default: what a run does
inline constexpr int Warning = 6;  ///< something is off, the run goes on
inline constexpr int Error = 7;    ///< the run fails
}  // namespace LogLevel

/// Messages below this level are not printed (a higher value prints less). Default 5.
extern int verbosity;
/// Colour codes of levels 1..7; any other level prints in 37.
extern const unsigned levelColors[7];
/// The one console lock: a test-and-set byte that serialises every message and every
/// change of the line prefix.
extern std::atomic<unsigned char> consoleLock;
/// Put in front of every console line while a target is being built.
extern std::string logIndent;

/// Whether standard output is a terminal; asked once per process (a forked child asks anew).
bool isStdoutTerminal();
/// The text with `logIndent` before its first character and after every newline that is
/// followed by more text.
std::string indentText(const std::string& text);

/// Writes an already formatted message in the given colour, prefixed, as one piece.
void writeColored(unsigned color, const std::string& text);

/// Writes out everything printed so far, under the console lock, so that output a child
/// process writes next lands after it also when standard output is a pipe or a file.
void flushConsole();

/// Writes out standard output at the end of the run and checks that everything printed to
/// it arrived (a full disk, a closed descriptor ...). Returns `status` when it did; else
/// says so on standard error ("Error: Cannot write to standard output: <reason>.") and
/// returns 1, or `status` when that already tells of a failure. A pipe whose reader has
/// left (`EPIPE`) gives the same status without the message.
int finishConsole(int status);

/// Prints a format text (no arguments) in an explicit colour, with no level test.
void printColored(unsigned color, std::string_view text);

template <typename A, typename... Args>
void printColored(unsigned color, fmt::format_string<A, Args...> format, A&& a, Args&&... args) {
    // Formatting happens before the console lock is taken: a failing format can never
    // leave the lock held.
    writeColored(color, fmt::format(format, std::forward<A>(a), std::forward<Args>(args)...));
}

/// The colour of a level: its entry of `levelColors`, 37 outside 1..7.
unsigned colorForLevel(int level);

/// Whether a message of `level` is printed.
inline bool logs(int level) { return level >= verbosity; }

/// Prints a levelled message when `level >= verbosity`; the text is a format text.
void log(int level, std::string_view text);

template <typename A, typename... Args>
void log(int level, fmt::format_string<A, Args...> format, A&& a, Args&&... args) {
    if (level < verbosity) return;
    printColored(colorForLevel(level), format, std::forward<A>(a), std::forward<Args>(args)...);
}

/// Installs a new line prefix for its scope and restores the previous one when the scope
/// ends, also by an exception.
class LogIndentGuard {
public:
    explicit LogIndentGuard(std::string prefix);
    ~LogIndentGuard();
    LogIndentGuard(const LogIndentGuard&) = delete;
    LogIndentGuard& operator=(const LogIndentGuard&) = delete;

private:
    std::string saved_;
};

/// The handler passed to std::set_terminate: reports the current exception (a standard one
/// on standard error, any other as "Unknown exception!" at level `Error`), flushes standard output
/// so nothing written before is lost, and aborts.
[[noreturn]] void terminateHandler();

}  // namespace Rilk
