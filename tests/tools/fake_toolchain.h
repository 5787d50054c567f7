#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

namespace RilkTest {

/// Writes an executable /bin/sh script: "#!/bin/sh", a line break, then `body`.
inline std::filesystem::path writeScript(const std::filesystem::path& file,
                                         const std::string& body) {
    std::filesystem::create_directories(file.parent_path());
    if (!(std::ofstream(file) << "#!/bin/sh\n" << body)) throw std::runtime_error("cannot write");
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    return file;
}

/// How a fake compiler answers each probe: a text is printed and the script exits 0; an
/// empty text prints nothing; no value makes the probe fail (exit 1).
struct FakeAnswers {
    std::optional<std::string> machine, fullVersion, version;
};

/// A script answering "-dumpmachine", "-dumpfullversion" and "-dumpversion" like a GCC
/// driver; it appends "$0 $1" of every call to `log` when one is given.
inline std::filesystem::path writeFakeCompiler(const std::filesystem::path& file,
                                               const FakeAnswers& answers,
                                               const std::filesystem::path& log = {}) {
    std::string body = log.empty() ? "" : "echo \"$0 $1\" >> '" + log.string() + "'\n";
    auto answer = [&body](const char* option, const std::optional<std::string>& text) {
        body += std::string(option) + ") " +
                (!text           ? "exit 1"
                 : text->empty() ? "exit 0"
                                 : "echo '" + *text + "'") +
                " ;;\n";
    };
    body += "case \"$1\" in\n";
    answer("-dumpmachine", answers.machine);
    answer("-dumpfullversion", answers.fullVersion);
    answer("-dumpversion", answers.version);
    return writeScript(file, body + "*) exit 2 ;;\nesac\n");
}

}  // namespace RilkTest
