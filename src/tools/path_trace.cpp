#include "tools/path_trace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// The most links one resolution follows, as the system allows.
constexpr int kMaxLinks = 40;

std::string joined(const std::string& directory, const std::string& name) {
    return directory == "/" ? "/" + name : directory + "/" + name;
}

std::string parentOf(const std::string& directory) {
    const std::size_t slash = directory.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : directory.substr(0, slash);
}

/// Pushes the names of `path` so that the first comes off the back first.
void pushNames(const fs::path& path, std::vector<std::string>& pending) {
    std::vector<std::string> names;
    for (const fs::path& part : path.relative_path()) names.push_back(part.native());
    pending.insert(pending.end(), names.rbegin(), names.rend());
}

bool readLink(const std::string& path, std::string& target) {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) return false;
    buffer.resize(static_cast<std::size_t>(length));
    target = std::move(buffer);
    return !target.empty();
}

}  // namespace

bool traceResolution(const fs::path& path, ScanDependencies& dependencies,
                     std::string& resolved) {
    resolved.clear();
    if (!path.is_absolute()) return false;
    std::vector<std::string> pending;
    pushNames(path, pending);
    std::string current = "/";
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            current = parentOf(current);
            continue;
        }
        const std::string next = joined(current, name);
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0) {
            // A missing name is an answer the directory's entries give.
            return errno == ENOENT && dependencies.add(current, StampKind::Listing);
        }
        if (!dependencies.add(next, StampKind::Entry)) return false;
        if (S_ISLNK(st.st_mode)) {
            std::string target;
            if (++links > kMaxLinks || !readLink(next, target)) return false;
            if (target.front() == '/') current.assign(1, '/');
            pushNames(target, pending);
            continue;
        }
        // Names left after a file that is no directory lead nowhere.
        if (!S_ISDIR(st.st_mode) && !pending.empty()) return true;
        current = next;
    }
    resolved = current;
    return true;
}

bool traceListing(const fs::path& directory, ScanDependencies& dependencies) {
    std::string resolved;
    if (!traceResolution(directory, dependencies, resolved)) return false;
    return resolved.empty() || dependencies.add(resolved, StampKind::Listing);
}

}  // namespace Rilk
