#include "app/driver/project_journals.h"

#include "app/load/project_imports.h"

namespace Rilk {

void ProjectJournals::addImported(const std::filesystem::path& root,
                                  std::unique_ptr<RunJournal> journal) {
    if (journal) imported_.emplace_back(root, std::move(journal));
}

void ProjectJournals::route(const Project* main) {
    routes_.clear();
    if (main == nullptr || imported_.empty()) return;
    for (const ProjectPtr& project : importedProjectsOf(*main)) {
        const std::filesystem::path root = project->projectFile.parent_path();
        for (const auto& [folder, journal] : imported_) {
            if (folder == root) routes_.insert_or_assign(project->name, journal.get());
        }
    }
}

RunJournal* ProjectJournals::of(std::string_view ns) const {
    if (!routes_.empty()) {
        const auto found = routes_.find(ns);
        if (found != routes_.end()) return found->second;
    }
    return own_.get();
}

void ProjectJournals::finish() noexcept {
    if (own_) own_->finish();
    for (const auto& [root, journal] : imported_) journal->finish();
}

}  // namespace Rilk
