#include "app/jobs/child_environment.h"

#include <unistd.h>

#include <algorithm>
#include <string_view>

namespace Rilk {

namespace {

constexpr std::string_view kPathEntry = "PATH=";

bool isPathEntry(const std::string& entry) { return entry.starts_with(kPathEntry); }

}  // namespace

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        entries.emplace_back(*entry);
    }
    return entries;
}

std::vector<std::string> childEnvironment(
    const std::vector<std::string>& inherited,
    const std::vector<std::filesystem::path>& pathDirectories) {
    std::string path;
    for (const std::filesystem::path& directory : pathDirectories) {
        if (directory.empty()) continue;
        if (!path.empty()) path += ':';
        path += directory.native();
    }
    if (path.empty()) return inherited;

    std::vector<std::string> environment = inherited;
    auto old = std::find_if(environment.begin(), environment.end(), isPathEntry);
    if (old == environment.end()) {
        environment.push_back(std::string(kPathEntry) + path);
    } else {
        const std::string oldValue = old->substr(kPathEntry.size());
        *old = std::string(kPathEntry) + path + (oldValue.empty() ? "" : ":" + oldValue);
    }
    return environment;
}

}  // namespace Rilk
