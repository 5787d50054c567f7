#include "tools/compiler_name_pattern.h"

#include "util/ci_string.h"

namespace Rilk {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// Whether the text is a dotted version: digits, then any number of "." and digits.
bool isDottedVersion(std::string_view text) {
    bool digitBefore = false;
    for (const char c : text) {
        if (isDigit(c)) {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

/// Where a version suffix ("-" and a dotted version ending the name) starts, or npos.
std::size_t versionSuffixStart(std::string_view name) {
    const std::size_t dash = name.rfind('-');
    if (dash == std::string_view::npos || !isDottedVersion(name.substr(dash + 1))) {
        return std::string_view::npos;
    }
    return dash;
}

}  // namespace

std::string compilerKindPattern(const std::string& kind) {
    if (Util::CiString::equal(kind, "gcc")) return "(?:gcc|cc)";
    if (kind == "g\\+\\+") return "(?:g\\+\\+|c\\+\\+)";
    return kind;
}

CompilerNamePattern::CompilerNamePattern(const std::string& kind) {
    if (Util::CiString::equal(kind, "gcc")) {
        names_ = {"gcc", "cc"};
    } else if (kind == "g\\+\\+") {
        names_ = {"g++", "c++"};
    } else {
        const std::string names = "^(?:.+-)?" + compilerKindPattern(kind);
        pattern_.emplace(names + "(?:-[0-9]+(?:\\.[0-9]+)*)?$");
        versionPattern_.emplace(names + "-([0-9]+(?:\\.[0-9]+)*)$");
    }
}

bool CompilerNamePattern::namesKind(std::string_view core) const {
    for (const std::string& name : names_) {
        if (core == name) return true;
        // "<at least one character>-<name>"
        if (core.size() >= name.size() + 2 && core.ends_with(name) &&
            core[core.size() - name.size() - 1] == '-') {
            return true;
        }
    }
    return false;
}

bool CompilerNamePattern::matches(std::string_view name) const {
    if (pattern_) return std::regex_match(name.begin(), name.end(), *pattern_);
    if (namesKind(name)) return true;
    const std::size_t suffix = versionSuffixStart(name);
    return suffix != std::string_view::npos && namesKind(name.substr(0, suffix));
}

std::optional<std::string> CompilerNamePattern::version(std::string_view name) const {
    if (versionPattern_) {
        std::match_results<std::string_view::const_iterator> match;
        if (!std::regex_match(name.begin(), name.end(), match, *versionPattern_)) return {};
        return match[1].str();
    }
    const std::size_t suffix = versionSuffixStart(name);
    if (suffix == std::string_view::npos || !namesKind(name.substr(0, suffix))) return {};
    return std::string(name.substr(suffix + 1));
}

}  // namespace Rilk
