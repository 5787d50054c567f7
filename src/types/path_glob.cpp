#include "types/path_glob.h"

#include <system_error>

namespace Rilk {

namespace fs = std::filesystem;

namespace {

bool isWild(const std::string& element) { return element.find_first_of("*?") != std::string::npos; }

/// Appends `directory / name` for every entry of the directory whose name matches.
/// Anything but a readable directory contributes nothing; a listing error keeps the
/// matches found before it.
void addMatches(const fs::path& directory, const std::string& pattern, std::vector<fs::path>& out) {
    std::error_code ec;
    const fs::file_status status = fs::status(directory, ec);
    if (ec || !fs::is_directory(status)) return;
    fs::directory_iterator it(directory, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (globMatch(name, pattern)) out.push_back(directory / name);
    }
}

}  // namespace

std::vector<fs::path> expandPathGlob(const fs::path& pattern) {
    std::vector<fs::path> working{pattern.root_path()};
    for (const fs::path& part : pattern.relative_path()) {
        const std::string element = part.string();
        if (!isWild(element)) {
            for (fs::path& path : working) path /= part;
            continue;
        }
        std::vector<fs::path> next;
        for (const fs::path& directory : working) addMatches(directory, element, next);
        working = std::move(next);
    }
    return working;
}

bool globMatch(const std::string& name, const std::string& pattern) {
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t star = std::string::npos;
    std::size_t anchor = 0;
    while (s < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[s])) {
            ++p;
            ++s;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            anchor = s;
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
