#include "tools/c3/c3_toolchain.h"

#include <system_error>

#include "tools/probe_cache.h"
#include "tools/version_rules.h"
#include "util/ci_string.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// The position after the run of digits that starts at `from`.
std::size_t skipDigits(const std::string& text, std::size_t from) {
    while (from < text.size() && isDigit(text[from])) ++from;
    return from;
}

}  // namespace

bool isC3CompilerName(const fs::path& path) {
    const std::string name = path.filename().string();
    return Util::CiString::equal(name, "c3c") || Util::CiString::equal(name, "c3c.exe");
}

std::optional<std::string> versionFromBanner(const std::string& banner) {
    // A plain scan rather than a regular expression: a banner is a program's output of any
    // length, and a backtracking matcher's stack could not hold a long enough run of digits.
    std::optional<std::string> firstNumber;
    std::size_t i = 0;
    while (i < banner.size()) {
        if (!isDigit(banner[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        std::size_t end = skipDigits(banner, i);
        bool dotted = false;
        while (end + 1 < banner.size() && banner[end] == '.' && isDigit(banner[end + 1])) {
            end = skipDigits(banner, end + 1);
            dotted = true;
        }
        if (dotted) return banner.substr(start, end - start);
        if (!firstNumber) firstNumber = banner.substr(start, end - start);
        i = end;
    }
    return firstNumber;
}

std::optional<C3Candidate> probeToolVersion(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    const ToolRunResult run = probeTool(path, "--version");
    if (run.exitStatus != 0) return std::nullopt;
    std::optional<std::string> version = versionFromBanner(run.output.string());
    if (!version) return std::nullopt;
    return C3Candidate{std::move(*version), path, path.parent_path()};
}

bool versionMatches(const ToolchainWants& wants, const C3Candidate& candidate) {
    const std::string& wanted = wants.toolchainVersion;
    if (!wanted.empty() && wanted != "0" && !Util::CiString::equal(candidate.version, wanted)) {
        const bool majorOnly = wanted.find('.') == std::string::npos;
        if (!majorOnly || candidate.version.rfind(wanted + ".", 0) != 0) return false;
    }
    return meetsMinVersion(candidate.version, wants.toolchainMinVersion);
}

}  // namespace Rilk
