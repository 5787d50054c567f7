#include "types/path_glob.h"

#include <sys/stat.h>

#include <fmt/format.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "types/resolution_limits.h"
#include "types/rilk_errors.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

bool isWild(const std::string& element) { return isWildPattern(element); }

/// Where globs may list directories; empty for anywhere.
fs::path globRoot;

bool mayList(const fs::path& directory) {
    if (globRoot.empty()) return true;
    const fs::path normal = directory.lexically_normal();
    const auto [rootEnd, unused] =
        std::mismatch(globRoot.begin(), globRoot.end(), normal.begin(), normal.end());
    return rootEnd == globRoot.end();
}

/// A directory's identity on the system: device and inode.
using DirectoryId = std::pair<dev_t, ino_t>;

/// A path matched so far, with the directories listed on the way to it.
struct Candidate {
    fs::path path;
    std::vector<DirectoryId> listed;
};

/// Appends `directory / name` for every entry of the candidate's directory whose name
/// matches. Anything but a readable directory contributes nothing, and neither does a
/// directory listed before on the same path (a link back to one of its parents would
/// otherwise multiply the matches with every further wild component); a listing error
/// keeps the matches found before it.
void addMatches(const Candidate& candidate, const std::string& pattern,
                const fs::path& wholePattern, std::vector<Candidate>& out) {
    if (!mayList(candidate.path)) return;
    struct stat info {};
    if (::stat(candidate.path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
    const DirectoryId id{info.st_dev, info.st_ino};
    if (std::find(candidate.listed.begin(), candidate.listed.end(), id) != candidate.listed.end()) {
        return;
    }
    std::vector<DirectoryId> listed = candidate.listed;
    listed.push_back(id);
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(candidate.path, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!globMatch(name, pattern)) continue;
        if (out.size() + names.size() >= ResolutionLimits::maxResults) {
            throw LimitExceeded(
                "Path pattern '" + wholePattern.string() + "'",
                fmt::format("matches more than {} paths", ResolutionLimits::maxResults));
        }
        names.push_back(std::move(name));
    }
    // Directory order is whatever the file system keeps; sorted names give the same
    // command lines (and so the same cached plans) on every run and every machine.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) out.push_back({candidate.path / name, listed});
}

}  // namespace

std::vector<fs::path> expandPathGlob(const fs::path& pattern) {
    return expandPathGlob(fs::path(), pattern);
}

std::vector<fs::path> expandPathGlob(const fs::path& base, const fs::path& pattern) {
    const bool standsAlone = base.empty() || pattern.has_root_directory();
    const fs::path whole = standsAlone ? pattern : base / pattern;
    if (whole.native().find('\0') != std::string::npos) {
        throw RilkException("Path pattern holds a NUL byte: '" + printablePath(whole.native()) +
                            "'");
    }
    // The base's parts are joined as written, as fixed parts of a pattern are.
    std::vector<Candidate> working{{standsAlone ? pattern.root_path() : base.root_path(), {}}};
    if (!standsAlone) {
        for (const fs::path& part : base.relative_path()) working.front().path /= part;
    }
    for (const fs::path& part : pattern.relative_path()) {
        const std::string element = part.string();
        if (!isWild(element)) {
            for (Candidate& candidate : working) candidate.path /= part;
            continue;
        }
        std::vector<Candidate> next;
        for (const Candidate& candidate : working) addMatches(candidate, element, whole, next);
        working = std::move(next);
    }
    std::vector<fs::path> paths;
    paths.reserve(working.size());
    for (Candidate& candidate : working) paths.push_back(std::move(candidate.path));
    return paths;
}

void confineGlobs(const fs::path& root) {
    globRoot = root.empty() ? fs::path() : root.lexically_normal();
    // "dir/" normalises to "dir/" with an empty last element, which no path inside has.
    if (!globRoot.empty() && !globRoot.has_filename()) globRoot = globRoot.parent_path();
}

std::string printablePath(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\0') {
            out += "\\0";
        } else {
            out += c;
        }
    }
    return out;
}

bool globMatch(const std::string& name, const std::string& pattern) {
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t star = std::string::npos;
    std::size_t anchor = 0;
    while (s < name.size()) {
        // A "*" of the pattern is a wildcard also where the name holds a "*".
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            anchor = s;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[s])) {
            ++p;
            ++s;
        } else if (star != std::string::npos) {
            p = star + 1;
            s = ++anchor;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace Rilk
