#pragma once

// The string literals of a C++ source, for tests that run every text the test suite holds
// through a reader.

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace RilkTest {

inline bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

/// The string literals (plain and raw) of a C++ source, simple escapes undone; comments and
/// character literals are skipped.
inline std::vector<std::string> stringLiteralsOf(const std::string& source) {
    std::vector<std::string> literals;
    std::size_t i = 0;
    auto skipTo = [&](const std::string& end) {
        const std::size_t at = source.find(end, i);
        i = at == std::string::npos ? source.size() : at + end.size();
    };
    while (i < source.size()) {
        const char c = source[i];
        if (source.compare(i, 2, "//") == 0) {
            skipTo("\n");
        } else if (source.compare(i, 2, "/*") == 0) {
            skipTo("*/");
        } else if (c == 'R' && source.compare(i + 1, 1, "\"") == 0 &&
                   (i == 0 || !isWordChar(source[i - 1]))) {
            const std::size_t open = source.find('(', i);
            if (open == std::string::npos) break;
            const std::string close = ")" + source.substr(i + 2, open - i - 2) + "\"";
            const std::size_t end = source.find(close, open);
            if (end == std::string::npos) break;
            literals.push_back(source.substr(open + 1, end - open - 1));
            i = end + close.size();
        } else if (c == '\'' || c == '"') {
            std::string text;
            for (++i; i < source.size() && source[i] != c && source[i] != '\n'; ++i) {
                if (source[i] == '\\' && i + 1 < source.size()) {
                    const char next = source[++i];
                    text += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
                } else {
                    text += source[i];
                }
            }
            ++i;
            if (c == '"') literals.push_back(text);
        } else {
            ++i;
        }
    }
    return literals;
}

/// The string literals of every C++ source (.cpp, .h) under the folders "tests" and "fuzz"
/// of the source tree at `sourceRoot`.
inline std::vector<std::string> suiteStringLiterals(const std::filesystem::path& sourceRoot) {
    std::vector<std::string> literals;
    for (const char* folder : {"tests", "fuzz"}) {
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(sourceRoot / folder)) {
            const auto extension = entry.path().extension();
            if (extension != ".cpp" && extension != ".h") continue;
            for (std::string& text : stringLiteralsOf(readFile(entry.path()))) {
                literals.push_back(std::move(text));
            }
        }
    }
    return literals;
}

}  // namespace RilkTest
