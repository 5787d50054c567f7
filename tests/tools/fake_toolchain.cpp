#include "tools/fake_toolchain.h"

#include <fstream>
#include <stdexcept>

namespace RilkTest {

namespace fs = std::filesystem;

namespace {

std::string answerLines(const std::string& option, const std::optional<std::string>& answer) {
    std::string lines = "    " + option + ") ";
    if (!answer) return lines + "exit 1 ;;\n";
    if (answer->empty()) return lines + "exit 0 ;;\n";
    return lines + "printf '%s\\n' '" + *answer + "' ;;\n";
}

}  // namespace

fs::path writeScript(const fs::path& file, const std::string& body) {
    fs::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary);
        out << "#!/bin/sh\n" << body;
        if (!out) throw std::runtime_error("cannot write " + file.string());
    }
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return file;
}

fs::path writeFakeCompiler(const fs::path& file, const FakeAnswers& answers, const fs::path& log) {
    std::string body;
    if (!log.empty()) body += "echo \"$0 $1\" >> '" + log.string() + "'\n";
    body += "case \"$1\" in\n";
    body += answerLines("-dumpmachine", answers.machine);
    body += answerLines("-dumpfullversion", answers.fullVersion);
    body += answerLines("-dumpversion", answers.version);
    body += "    *) exit 2 ;;\nesac\n";
    return writeScript(file, body);
}

std::vector<std::string> readLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace RilkTest
