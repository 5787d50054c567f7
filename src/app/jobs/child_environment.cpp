#include "app/jobs/child_environment.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <string_view>

namespace Rilk {

namespace {

constexpr std::string_view kPathEntry = "PATH=";

bool isPathEntry(const std::string& entry) { return entry.starts_with(kPathEntry); }

/// The variables `setCommandVariable` set, by name; an empty value takes the name away.
std::map<std::string, std::string>& commandVariables() {
    static std::map<std::string, std::string> variables;
    return variables;
}

/// Whether `entry` ("NAME=value") sets `name`.
bool sets(std::string_view entry, const std::string& name) {
    return entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=';
}

}  // namespace

std::vector<std::string> currentEnvironment() {
    const std::map<std::string, std::string>& variables = commandVariables();
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        const bool replaced = std::any_of(variables.begin(), variables.end(),
                                          [&](const auto& set) { return sets(text, set.first); });
        if (!replaced) entries.emplace_back(text);
    }
    for (const auto& [name, value] : variables) {
        if (!value.empty()) entries.push_back(name + "=" + value);
    }
    return entries;
}

void setCommandVariable(const std::string& name, const std::string& value) {
    commandVariables()[name] = value;
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
