#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/cache/file/build_cache.h"
#include "app/cache/path_stamp.h"
#include "app/cache/record_places.h"
#include "app/load/project.h"
#include "util/ci_string.h"

namespace Rilk {

/// The build caches of a build run, one for each project it builds targets of: its own
/// project's, and that of each imported project whose lock it holds. A target's record is
/// kept in the cache file of the target's own project, under the namespace that project's
/// own runs give it (the name its project file declares), so that a run there and a run in
/// any project importing it read and store one record of each target, and never take each
/// other's outputs for changed. The targets of an imported project whose lock the run could
/// not take keep their records in the own project's cache under the importer's namespace;
/// those of a project file imported under two namespaces, under each namespace. The caches
/// read the stamps of files through one `PathStamps`, the run's.
class ProjectCaches : public RecordPlaces {
public:
    /// Starts reading the own project's cache file in `root` (`startLoadingCache`), in
    /// place of one started before.
    void startOwn(const std::filesystem::path& root);
    /// Whether a cache file is read in the project in `root` (its path with links resolved),
    /// the own project's included.
    bool reads(const std::filesystem::path& root);
    /// Starts reading the cache file of the imported project in `root` (its path with links
    /// resolved), whose lock the run holds; nothing when one is read there already.
    void startImported(const std::filesystem::path& root);
    /// The own project's cache; null before `startOwn`.
    BuildCache* own() const { return own_.get(); }

    /// Waits for every read started and installs its records (each with the file times read
    /// ahead for them, which the build consults side by side).
    void load();
    /// Settles where the records of each project of the tree of `main` (the main project,
    /// null without one) are kept. Call it once the caches are started.
    void route(const Project* main);
    /// Whether every target's record is kept in the own cache under its own namespace.
    bool allOwn() const { return routes_.empty(); }

    /// `RecordPlaces`: where the records of the targets of namespace `ns` are kept, as
    /// `route` settled it: one of the caches of the run, the own one for a namespace it did
    /// not name.
    Place placeOf(std::string_view ns) override;
    /// `RecordPlaces`: the own cache's records, then each imported project's.
    void forEachRecords(const std::function<void(CacheRecords&)>& visit) override;
    /// `RecordPlaces`: the stamps every cache reads through.
    PathStamps& stamps() override { return *stamps_; }
    /// Saves every cache (`BuildCache::save`).
    void save();

private:
    struct Imported {
        std::filesystem::path root;
        std::unique_ptr<BuildCache> cache;
    };

    /// The own project's root with links resolved, found once.
    const std::filesystem::path& ownCanonicalRoot();
    /// The cache of the project in `root` (links resolved): an imported project's when one
    /// is read there, else the own one.
    BuildCache* cacheOf(const std::filesystem::path& root);

    /// The stamps every cache reads through.
    std::shared_ptr<PathStamps> stamps_ = std::make_shared<PathStamps>();
    std::unique_ptr<BuildCache> own_;
    std::filesystem::path ownRoot_;
    std::filesystem::path ownCanonicalRoot_;
    std::vector<Imported> imported_;
    /// The namespaces whose records are kept elsewhere than in the own cache under their
    /// own name, with the namespace they are kept under.
    std::map<Util::CiString, std::pair<BuildCache*, std::string>, Util::CiLess> routes_;
};

}  // namespace Rilk
