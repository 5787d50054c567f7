#include "tools/fake_toolchain.h"

#include <fstream>
#include <stdexcept>

namespace RilkTest {

namespace fs = std::filesystem;

fs::path writeScript(const fs::path& file, const std::string& body) {
    fs::create_directories(file.parent_path());
    if (!(std::ofstream(file, std::ios::binary) << "#!/bin/sh\n" << body)) {
        throw std::runtime_error("cannot write " + file.string());
    }
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return file;
}

fs::path writeFakeCompiler(const fs::path& file, const FakeAnswers& answers, const fs::path& log) {
    std::string body = log.empty() ? "" : "echo \"$0 $1\" >> '" + log.string() + "'\n";
    body += "case \"$1\" in\n";
    auto answer = [&body](const char* option, const std::optional<std::string>& text) {
        body += std::string("  ") + option + ") " +
                (!text           ? "exit 1"
                 : text->empty() ? "exit 0"
                                 : "printf '%s\\n' '" + *text + "'") +
                " ;;\n";
    };
    answer("-dumpmachine", answers.machine);
    answer("-dumpfullversion", answers.fullVersion);
    answer("-dumpversion", answers.version);
    return writeScript(file, body + "  *) exit 2 ;;\nesac\n");
}

}  // namespace RilkTest
