#include "tools/object_placement.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <unordered_map>

#include <fmt/format.h>

#include "types/rilk_errors.h"

namespace Rilk {

namespace {

namespace fs = std::filesystem;

/// Whether `text` is an absolute path that lexical normalisation leaves as it is: no empty,
/// "." or ".." component and no separator at the end.
bool isNormalAbsolute(std::string_view text) {
    if (text.empty() || text.front() != '/' || text.back() == '/') return false;
    for (std::size_t start = 1; start <= text.size();) {
        const std::size_t end = std::min(text.find('/', start), text.size());
        const std::string_view component = text.substr(start, end - start);
        if (component.empty() || component == "." || component == "..") return false;
        start = end + 1;
    }
    return true;
}

/// The source as the placement knows it: absolute and lexically normal.
std::string identityOf(const fs::path& source) {
    if (isNormalAbsolute(source.native())) return source.native();
    return fs::absolute(source).lexically_normal().native();
}

/// The longest leading run of directories that every path of `directories` shares.
fs::path commonDirectory(const std::vector<fs::path>& directories) {
    fs::path common = directories.front();
    for (const fs::path& directory : directories) {
        fs::path shared;
        auto a = common.begin();
        auto b = directory.begin();
        for (; a != common.end() && b != directory.end() && *a == *b; ++a, ++b) shared /= *a;
        common = shared;
    }
    return common;
}

/// Places the members of one group of colliding sources (different files, one normal
/// object name): first by their directory below the shared one, then by their whole name.
std::map<fs::path, fs::path> placeCollidingGroup(const std::set<fs::path>& group,
                                                 const fs::path& normalName,
                                                 const std::string& extension) {
    std::vector<fs::path> directories;
    for (const fs::path& source : group) directories.push_back(source.parent_path());
    const fs::path common = commonDirectory(directories);
    std::map<fs::path, fs::path> placements;
    std::map<fs::path, int> uses;
    for (const fs::path& source : group) {
        fs::path relative = source.parent_path().lexically_relative(common);
        if (relative == ".") relative.clear();
        placements[source] = relative / normalName;
        ++uses[placements[source]];
    }
    for (auto& [source, placement] : placements) {
        if (uses[placement] < 2) continue;
        fs::path fullName = source.filename();
        fullName += extension;
        placement.replace_filename(fullName);
    }
    return placements;
}

}  // namespace

ObjectPlacement::ObjectPlacement(const std::vector<fs::path>& sources,
                                 const std::string& extension) {
    // Keyed by the normal object's name: one file name, ordered as its path would be.
    std::map<std::string, std::set<fs::path>> filesByName;
    for (const fs::path& source : sources) {
        filesByName[source.filename().replace_extension(extension).native()].insert(
            fs::path(identityOf(source)));
    }
    std::unordered_map<std::string, fs::path> ownerOf;
    for (const auto& [normalName, files] : filesByName) {
        std::map<fs::path, fs::path> placed;
        if (files.size() > 1) {
            placed = placeCollidingGroup(files, normalName, extension);
        } else {
            placed[*files.begin()] = normalName;
        }
        for (const auto& [source, placement] : placed) {
            auto [owner, inserted] = ownerOf.emplace(placement.native(), source);
            if (!inserted) {
                throw RilkException(fmt::format(
                    "The sources '{}' and '{}' would share the object file '{}'. Rename one "
                    "of them.",
                    owner->second.string(), source.string(), placement.string()));
            }
            placements_[source.native()] = placement;
        }
    }
}

bool ObjectPlacement::covers(const fs::path& source) const {
    return placements_.count(identityOf(source)) != 0;
}

fs::path ObjectPlacement::objectFor(const fs::path& source, const fs::path& objectDirectory) const {
    const fs::path& placement = placements_.at(identityOf(source));
    if (objectDirectory.is_absolute()) return objectDirectory / placement;
    return fs::absolute(objectDirectory) / placement;
}

std::vector<fs::path> ObjectPlacement::subdirectories() const {
    std::set<fs::path> directories;
    for (const auto& [source, placement] : placements_) {
        if (placement.has_parent_path()) directories.insert(placement.parent_path());
    }
    return {directories.begin(), directories.end()};
}

}  // namespace Rilk
