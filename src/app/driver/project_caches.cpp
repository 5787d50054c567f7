// The build caches of a run: one per project whose targets it builds.
#include "app/driver/project_caches.h"

#include <system_error>
#include <utility>

#include "app/driver/build_run.h"
#include "app/load/project_imports.h"

namespace Rilk {
namespace {

/// The path with its links resolved, as the roots of imported projects are.
std::filesystem::path canonicalRoot(const std::filesystem::path& root) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(root, error);
    if (error) return std::filesystem::absolute(root).lexically_normal();
    return resolved;
}

}  // namespace

void ProjectCaches::startOwn(const std::filesystem::path& root) {
    if (root != ownRoot_) ownCanonicalRoot_.clear();
    ownRoot_ = root;
    own_ = startLoadingCache(root);
    own_->shareStamps(stamps_);
}

bool ProjectCaches::reads(const std::filesystem::path& root) {
    return root == ownCanonicalRoot() || cacheOf(root) != own_.get();
}

void ProjectCaches::startImported(const std::filesystem::path& root) {
    if (reads(root)) return;
    imported_.push_back({root, startLoadingCache(root)});
    imported_.back().cache->shareStamps(stamps_);
}

void ProjectCaches::load() {
    for (Imported& imported : imported_) imported.cache->load();
    own_->load();
}

void ProjectCaches::route(const Project* main) {
    routes_.clear();
    if (main == nullptr) return;
    struct Namespace {
        const Project* project;
        BuildCache* cache;
    };
    std::vector<Namespace> spaces{{main, own_.get()}};
    for (const ProjectPtr& imported : importedProjectsOf(*main)) {
        spaces.push_back({imported.get(), cacheOf(imported->projectFile.parent_path())});
    }
    // A project's own name is taken for its records only where no other namespace of the
    // run keeps records in the same cache under the same name.
    std::map<std::pair<BuildCache*, Util::CiString>, int> users;
    for (const Namespace& space : spaces) ++users[{space.cache, space.project->declaredName}];
    for (const Namespace& space : spaces) {
        // In the own cache the records keep the importer's names: no run of the project
        // they belong to reads them there.
        if (space.cache == own_.get()) continue;
        const Project& project = *space.project;
        const bool renamed = !Util::CiString::equal(project.name, project.declaredName) &&
                             users[{space.cache, project.declaredName}] == 1;
        routes_.insert_or_assign(project.name,
                                 std::pair{space.cache, renamed ? project.declaredName : ""});
    }
}

RecordPlaces::Place ProjectCaches::placeOf(std::string_view ns) {
    if (!routes_.empty()) {
        const auto found = routes_.find(ns);
        if (found != routes_.end()) return {found->second.first, found->second.second};
    }
    return {own_.get(), {}};
}

void ProjectCaches::forEachRecords(const std::function<void(CacheRecords&)>& visit) {
    visit(*own_);
    for (Imported& imported : imported_) visit(*imported.cache);
}

void ProjectCaches::save() {
    own_->save();
    for (Imported& imported : imported_) imported.cache->save();
}

const std::filesystem::path& ProjectCaches::ownCanonicalRoot() {
    if (ownCanonicalRoot_.empty()) ownCanonicalRoot_ = canonicalRoot(ownRoot_);
    return ownCanonicalRoot_;
}

BuildCache* ProjectCaches::cacheOf(const std::filesystem::path& root) {
    for (const Imported& imported : imported_) {
        if (imported.root == root) return imported.cache.get();
    }
    return own_.get();
}

}  // namespace Rilk
