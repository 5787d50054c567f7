#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace RilkTest {

/// The body of the C3 compiler stand-in, after its banner and version-status lines.
///
/// `--version` prints the banner (when there is one) and exits with the version status.
/// Any other call must be a build: options (`-o`, `-L`, `-l` and `-z` take the next word)
/// only before exactly one subcommand of compile, static-lib, dynamic-lib, compile-test,
/// then at least one existing source file and nothing else; `-o` must be given. A wrong
/// command line exits 1 with a message on standard error. An accepted one appends to the
/// file named by FAKE_C3C_LOG (when set) a block "cwd <physical working directory>",
/// "path <PATH>", one "arg <argument>" line per argument and "end"; then it creates the
/// file named by `-o` (relative to the working directory) and exits with FAKE_C3C_STATUS
/// (default 0).
inline const char* const kFakeC3cBody = R"sh(
if [ "$1" = "--version" ]; then
  [ -z "$banner" ] || printf '%s\n' "$banner"
  exit "$version_status"
fi
fail() { printf 'c3c stand-in: %s\n' "$1" >&2; exit 1; }
output= ; subcommand= ; sources=0 ; expect=
for arg in "$@"; do
  if [ -n "$expect" ]; then
    [ "$expect" != "-o" ] || output=$arg
    expect= ; continue
  fi
  case $arg in
    compile|static-lib|dynamic-lib|compile-test)
      [ -z "$subcommand" ] || fail "second subcommand: $arg"
      subcommand=$arg ; continue ;;
  esac
  if [ -z "$subcommand" ]; then
    case $arg in
      -o|-L|-l|-z) expect=$arg ;;
      -*) ;;
      *) fail "argument before the subcommand: $arg" ;;
    esac
  else
    case $arg in -*) fail "option after the subcommand: $arg" ;; esac
    [ -f "$arg" ] || fail "no such source file: $arg"
    sources=$((sources + 1))
  fi
done
[ -z "$expect" ] || fail "$expect needs a value"
[ -n "$subcommand" ] || fail "no subcommand"
[ "$sources" -gt 0 ] || fail "no source file after $subcommand"
[ -n "$output" ] || fail "no -o"
if [ -n "$FAKE_C3C_LOG" ]; then
  {
    printf 'cwd %s\npath %s\n' "$(pwd -P)" "$PATH"
    for arg in "$@"; do printf 'arg %s\n' "$arg"; done
    printf 'end\n'
  } >> "$FAKE_C3C_LOG"
fi
: > "$output" || fail "cannot write $output"
exit "${FAKE_C3C_STATUS:-0}"
)sh";

/// The text in single quotes for /bin/sh.
inline std::string shellSingleQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

/// Writes an executable C3 compiler stand-in at `file` (creating its directories) whose
/// `--version` prints `banner` (nothing when empty) and exits with `versionStatus`.
inline std::filesystem::path writeFakeC3c(const std::filesystem::path& file,
                                          const std::string& banner, int versionStatus = 0) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file);
    out << "#!/bin/sh\n# A stand-in for the C3 compiler, for tests.\nbanner="
        << shellSingleQuoted(banner) << "\nversion_status=" << versionStatus << "\n"
        << kFakeC3cBody;
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    return file;
}

/// One accepted call of the stand-in, read back from its log.
struct FakeC3cCall {
    std::string workingDirectory;
    std::string path;
    std::vector<std::string> arguments;
};

/// The calls recorded in a stand-in log, in order.
inline std::vector<FakeC3cCall> readFakeC3cLog(const std::filesystem::path& log) {
    std::vector<FakeC3cCall> calls;
    std::ifstream in(log);
    FakeC3cCall call;
    for (std::string line; std::getline(in, line);) {
        const std::string key = line.substr(0, line.find(' '));
        const std::string value = line.size() > key.size() ? line.substr(key.size() + 1) : "";
        if (key == "cwd") call.workingDirectory = value;
        if (key == "path") call.path = value;
        if (key == "arg") call.arguments.push_back(value);
        if (key == "end") calls.push_back(std::exchange(call, {}));
    }
    return calls;
}

}  // namespace RilkTest
