#include "tools/tool_probe.h"

#include <sys/wait.h>

#include <cstdio>

namespace Rilk {

namespace {

/// The text wrapped in single quotes for /bin/sh; an embedded single quote closes the
/// quoted text, is written escaped and the quoting reopens ('\'').
std::string singleQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size() && isTrimmed(text[begin])) ++begin;
    std::size_t end = text.size();
    while (end > begin && isTrimmed(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

/// Everything left in the stream. Reads raw blocks, so no byte of the output is lost,
/// whatever the line lengths or embedded NUL bytes.
std::string readAll(std::FILE* stream) {
    std::string text;
    char buffer[512];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, count);
    return text;
}

}  // namespace

std::string toolCommandText(const std::filesystem::path& tool, const std::string& arguments) {
    return singleQuoted(tool.native()) + " " + arguments + " </dev/null 2>/dev/null";
}

ToolRunResult runToolCapture(const std::filesystem::path& tool, const std::string& arguments) {
    ToolRunResult result;
    std::FILE* stream = popen(toolCommandText(tool, arguments).c_str(), "r");
    if (stream == nullptr) return result;
    result.output = trimmed(readAll(stream));
    const int status = pclose(stream);
    if (status != -1 && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    return result;
}

}  // namespace Rilk
