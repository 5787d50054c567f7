// Loading the projects a project imports, recursively, into the project tree.
#include "app/load/project_imports.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "app/load/project_file_loader.h"
#include "app/registry/rilk_registry.h"
#include "types/rilk_errors.h"
#include "util/ci_string.h"

namespace {

/// One project on the path of imports from the main project to the one being loaded.
struct ImportStep {
    std::filesystem::path file;
    std::string profile;

    bool sameAs(const ImportStep& other) const {
        return file == other.file && Util::CiString::equal(profile, other.profile);
    }
    std::string text() const {
        return profile.empty() ? file.string() : fmt::format("{} ({})", file.string(), profile);
    }
};

ImportStep stepOf(const Rilk::Project& project) {
    std::error_code error;
    std::filesystem::path file = std::filesystem::weakly_canonical(project.projectFile, error);
    if (error) file = std::filesystem::absolute(project.projectFile).lexically_normal();
    return {file, project.activeProfile};
}

bool hasProfile(const Rilk::Project& project, const std::string& name) {
    return project.profiles.contains(name);
}

/// Refuses `next` when it is already on the import path with the same active profile: it
/// would import itself again and again.
void refuseCycle(const std::vector<ImportStep>& path, const ImportStep& next) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (!path[i].sameAs(next)) continue;
        std::string chain;
        for (std::size_t j = i; j < path.size(); ++j) chain += path[j].text() + " -> ";
        throw Rilk::RilkException(fmt::format(
            "Project import cycle: {}{}. A project cannot import itself, directly or through "
            "the projects it imports.",
            chain, next.text()));
    }
}

/// Walks the imports depth first, keeping the path from the main project to the project
/// being loaded. Every project of the tree needs a namespace of its own: one met again
/// ends the walk there, before the projects below it are loaded (a project that imports
/// the next one twice, level after level, would otherwise load 2^levels projects).
class ImportResolver {
public:
    explicit ImportResolver(const Rilk::RilkRegistry* registry) : registry_(registry) {}

    void resolveFrom(Rilk::Project& root) {
        path_.push_back(stepOf(root));
        claimNamespace(root, false);
        resolve(root);
    }

private:
    void resolve(Rilk::Project& project) {
        project.importedProjects.clear();
        for (const Rilk::ProjectImport& entry : project.imports) {
            if (!entry.sourceProfile.empty()) {
                if (!hasProfile(project, entry.sourceProfile)) {
                    throw Rilk::NotFoundException("profile", entry.sourceProfile);
                }
                if (!Util::CiString::equal(entry.sourceProfile, project.activeProfile)) continue;
            }
            auto imported = std::make_shared<Rilk::Project>(fileOf(project, entry), entry.alias);
            Rilk::loadProjectFile(*imported);
            if (!entry.importProfile.empty()) {
                if (!hasProfile(*imported, entry.importProfile)) {
                    throw Rilk::NotFoundException("profile", entry.importProfile);
                }
                imported->activeProfile = entry.importProfile;
            }
            const ImportStep step = stepOf(*imported);
            refuseCycle(path_, step);
            claimNamespace(*imported, true);
            path_.push_back(step);
            resolve(*imported);
            path_.pop_back();
            project.importedProjects.push_back(std::move(imported));
        }
    }

    /// The project file an import names: the registered path, or the import's path taken
    /// against the importing project file's directory.
    std::filesystem::path fileOf(const Rilk::Project& importer,
                                 const Rilk::ProjectImport& entry) const {
        if (entry.kind == Rilk::ProjectImport::Kind::Registry) {
            if (registry_ == nullptr) throw Rilk::NotFoundException("registry", "");
            const auto found = registry_->projects.find(entry.name);
            if (found == registry_->projects.end()) {
                throw Rilk::NotFoundException("Registered project", entry.name);
            }
            return found->second;
        }
        if (entry.path.has_root_directory()) return entry.path;
        return importer.projectFile.parent_path() / entry.path;
    }

    /// Takes the project's namespace for it, as the main project or as imported by the last
    /// project on the path. A namespace taken already fails, naming both claims.
    void claimNamespace(const Rilk::Project& project, bool imported) {
        const std::string file = stepOf(project).file.string();
        const std::string claim =
            imported ? fmt::format("'{}' imported by '{}'", file, path_.back().file.string())
                     : fmt::format("the main project '{}'", file);
        const auto [taken, added] = namespaces_.emplace(Util::CiString(project.name), claim);
        if (added) return;
        throw Rilk::RilkException(fmt::format(
            "Project namespace '{}' is used more than once: by {} and by {}. Import each project "
            "once, or give each import a namespace of its own.",
            project.name, taken->second, claim));
    }

    const Rilk::RilkRegistry* registry_;
    std::vector<ImportStep> path_;
    /// The namespaces of the projects loaded so far, each with who took it.
    std::map<Util::CiString, std::string> namespaces_;
};

}  // namespace

namespace Rilk {

void resolveProjectImports(const ProjectPtr& project, const RilkRegistry* registry) {
    if (!project) throw InternalError();
    ImportResolver(registry).resolveFrom(*project);
}

}  // namespace Rilk
