#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace RilkTest {

/// Writes an executable /bin/sh script: "#!/bin/sh", a line break, then `body`.
std::filesystem::path writeScript(const std::filesystem::path& file, const std::string& body);

/// How a fake compiler answers each probe: a text is printed and the script exits 0; an
/// empty text prints nothing; no value makes the probe fail (exit 1).
struct FakeAnswers {
    std::optional<std::string> machine, fullVersion, version;
};

/// A script answering "-dumpmachine", "-dumpfullversion" and "-dumpversion" like a GCC
/// driver; it appends "$0 $1" of every call to `log` when one is given.
std::filesystem::path writeFakeCompiler(const std::filesystem::path& file,
                                        const FakeAnswers& answers,
                                        const std::filesystem::path& log = {});

}  // namespace RilkTest
