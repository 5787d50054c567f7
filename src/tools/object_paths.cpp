#include "tools/object_paths.h"

#include <map>
#include <set>

#include <fmt/format.h>

#include "types/rilk_errors.h"

namespace Rilk {

namespace {

namespace fs = std::filesystem;

/// One source with everything the placement needs.
struct Source {
    fs::path absolute;    ///< the source, absolute and lexically normal: its identity
    fs::path normalName;  ///< its file name with the object extension
    fs::path placement;   ///< where its object goes, relative to the object directory
};

fs::path withExtension(fs::path name, const std::string& extension) {
    return name.replace_extension(extension);
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
void placeCollidingGroup(std::vector<Source*>& group, const std::string& extension) {
    std::vector<fs::path> directories;
    for (const Source* source : group) directories.push_back(source->absolute.parent_path());
    const fs::path common = commonDirectory(directories);
    std::map<fs::path, std::set<fs::path>> byPlacement;
    for (Source* source : group) {
        fs::path relative = source->absolute.parent_path().lexically_relative(common);
        if (relative == ".") relative.clear();
        source->placement = relative / source->normalName;
        byPlacement[source->placement].insert(source->absolute);
    }
    for (Source* source : group) {
        if (byPlacement[source->placement].size() < 2) continue;
        fs::path fullName = source->absolute.filename();
        fullName += extension;
        source->placement.replace_filename(fullName);
    }
}

/// Refuses a plan in which two different sources still share one object file.
void checkDistinct(const std::vector<Source>& sources, const std::vector<fs::path>& objects) {
    std::map<fs::path, const fs::path*> ownerOf;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        auto [entry, inserted] = ownerOf.emplace(objects[i], &sources[i].absolute);
        if (inserted || *entry->second == sources[i].absolute) continue;
        throw RilkException(fmt::format(
            "The sources '{}' and '{}' would share the object file '{}'. Rename one of them.",
            entry->second->string(), sources[i].absolute.string(), objects[i].string()));
    }
}

}  // namespace

std::vector<fs::path> planObjectPaths(const std::vector<fs::path>& sources,
                                      const fs::path& objectDirectory,
                                      const std::string& extension) {
    std::vector<Source> planned;
    std::map<fs::path, std::set<fs::path>> filesByName;
    for (const fs::path& path : sources) {
        Source source{fs::absolute(path).lexically_normal(), {}, {}};
        source.normalName = withExtension(path.filename(), extension);
        source.placement = source.normalName;
        filesByName[source.normalName].insert(source.absolute);
        planned.push_back(std::move(source));
    }
    std::map<fs::path, std::vector<Source*>> collisions;
    for (Source& source : planned) {
        if (filesByName[source.normalName].size() > 1) {
            collisions[source.normalName].push_back(&source);
        }
    }
    for (auto& [name, group] : collisions) placeCollidingGroup(group, extension);

    const fs::path directory = fs::absolute(objectDirectory);
    std::vector<fs::path> objects;
    for (const Source& source : planned) objects.push_back(directory / source.placement);
    checkDistinct(planned, objects);
    return objects;
}

}  // namespace Rilk
