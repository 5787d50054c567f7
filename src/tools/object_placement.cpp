#include "tools/object_placement.h"

#include <set>

#include <fmt/format.h>

#include "types/rilk_errors.h"

namespace Rilk {

namespace {

namespace fs = std::filesystem;

fs::path identityOf(const fs::path& source) { return fs::absolute(source).lexically_normal(); }

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
    std::map<fs::path, std::set<fs::path>> filesByName;
    for (const fs::path& source : sources) {
        fs::path normalName = source.filename().replace_extension(extension);
        filesByName[normalName].insert(identityOf(source));
    }
    std::map<fs::path, fs::path> ownerOf;
    for (const auto& [normalName, files] : filesByName) {
        std::map<fs::path, fs::path> placed;
        if (files.size() > 1) {
            placed = placeCollidingGroup(files, normalName, extension);
        } else {
            placed[*files.begin()] = normalName;
        }
        for (const auto& [source, placement] : placed) {
            auto [owner, inserted] = ownerOf.emplace(placement, source);
            if (!inserted) {
                throw RilkException(fmt::format(
                    "The sources '{}' and '{}' would share the object file '{}'. Rename one "
                    "of them.",
                    owner->second.string(), source.string(), placement.string()));
            }
            placements_[source] = placement;
        }
    }
}

bool ObjectPlacement::covers(const fs::path& source) const {
    return placements_.count(identityOf(source)) != 0;
}

fs::path ObjectPlacement::objectFor(const fs::path& source, const fs::path& objectDirectory) const {
    return fs::absolute(objectDirectory) / placements_.at(identityOf(source));
}

std::vector<fs::path> ObjectPlacement::subdirectories() const {
    std::set<fs::path> directories;
    for (const auto& [source, placement] : placements_) {
        if (placement.has_parent_path()) directories.insert(placement.parent_path());
    }
    return {directories.begin(), directories.end()};
}

}  // namespace Rilk
