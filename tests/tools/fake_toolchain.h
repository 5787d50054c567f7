#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace RilkTest {

/// Writes an executable /bin/sh script: "#!/bin/sh", a line break, then `body`.
std::filesystem::path writeScript(const std::filesystem::path& file, const std::string& body);

/// How a fake compiler answers each probe: a text is printed (with a line break) and the
/// script exits 0; an empty text prints nothing; no value makes the probe fail (exit 1).
struct FakeAnswers {
    std::optional<std::string> machine;
    std::optional<std::string> fullVersion;
    std::optional<std::string> version;
};

/// A script that answers "-dumpmachine", "-dumpfullversion" and "-dumpversion" like a
/// GCC driver and appends "$0 $1" of every call to the log file `log` when one is given.
std::filesystem::path writeFakeCompiler(const std::filesystem::path& file,
                                        const FakeAnswers& answers,
                                        const std::filesystem::path& log = {});

/// The lines of a probe log, empty when it does not exist.
std::vector<std::string> readLines(const std::filesystem::path& file);

}  // namespace RilkTest
