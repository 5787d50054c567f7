// Loading the projects a project imports, recursively, into the project tree.
#include "app/load/project_imports.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
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

/// The path with its links resolved, so that one file has one path whichever way it is
/// reached; as much of it as exists.
std::filesystem::path canonicalFile(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(file, error);
    if (error) return std::filesystem::absolute(file).lexically_normal();
    return canonical;
}

ImportStep stepOf(const Rilk::Project& project) {
    return {canonicalFile(project.projectFile), project.activeProfile};
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
/// being loaded. A project file met again under the namespace it was loaded with, and in
/// the same profile, is the project loaded then (a diamond of imports loads it once);
/// any other project needs a namespace of its own: one met again ends the walk there,
/// before the projects below it are loaded.
class ImportResolver {
public:
    explicit ImportResolver(const Rilk::RilkRegistry* registry) : registry_(registry) {}

    void resolveFrom(const Rilk::ProjectPtr& root) {
        path_.push_back(stepOf(*root));
        claimNamespace(*root, false);
        loaded_.push_back({root, path_.back()});
        resolve(*root);
    }

private:
    /// A project loaded so far, with its file and profile.
    struct Loaded {
        Rilk::ProjectPtr project;
        ImportStep step;
    };

    void resolve(Rilk::Project& project) {
        project.importedProjects.clear();
        for (const Rilk::ProjectImport& entry : project.imports) {
            if (!entry.sourceProfile.empty()) {
                if (!hasProfile(project, entry.sourceProfile)) {
                    throw Rilk::NotFoundException("profile", entry.sourceProfile);
                }
                if (!Util::CiString::equal(entry.sourceProfile, project.activeProfile)) continue;
            }
            const std::filesystem::path file = canonicalFile(fileOf(project, entry));
            if (const Loaded* again = loadedAgain(file, entry)) {
                refuseCycle(path_, again->step);
                project.importedProjects.push_back(again->project);
                continue;
            }
            auto imported = std::make_shared<Rilk::Project>(file, entry.alias);
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
            loaded_.push_back({imported, step});
            path_.push_back(step);
            resolve(*imported);
            path_.pop_back();
            project.importedProjects.push_back(std::move(imported));
        }
    }

    /// The project loaded before from `file` that `entry` imports again: in the same
    /// profile and under the same namespace (the import's own, or else the name the file
    /// declares). Null when there is none.
    const Loaded* loadedAgain(const std::filesystem::path& file,
                              const Rilk::ProjectImport& entry) const {
        for (const Loaded& loaded : loaded_) {
            const Rilk::Project& project = *loaded.project;
            const std::string& ns = entry.alias.empty() ? project.declaredName : entry.alias;
            if (loaded.step.file == file &&
                Util::CiString::equal(loaded.step.profile, entry.importProfile) &&
                Util::CiString::equal(ns, project.name)) {
                return &loaded;
            }
        }
        return nullptr;
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
    /// project on the path. A namespace taken already fails, naming both claims (an
    /// imported project with the profile its import activates).
    void claimNamespace(const Rilk::Project& project, bool imported) {
        const ImportStep step = stepOf(project);
        const std::string profile = step.profile.empty() ? "" : " (" + step.profile + ")";
        const std::string claim = imported
                                      ? fmt::format("'{}'{} imported by '{}'", step.file.string(),
                                                    profile, path_.back().file.string())
                                      : fmt::format("the main project '{}'", step.file.string());
        const auto [taken, added] = namespaces_.emplace(Util::CiString(project.name), claim);
        if (added) return;
        throw Rilk::RilkException(fmt::format(
            "Project namespace '{}' is used more than once: by {} and by {}. Import each project "
            "once, or give each import a namespace of its own.",
            project.name, taken->second, claim));
    }

    const Rilk::RilkRegistry* registry_;
    std::vector<ImportStep> path_;
    /// Every project loaded so far, the main project first.
    std::vector<Loaded> loaded_;
    /// The namespaces of the projects loaded so far, each with who took it.
    std::map<Util::CiString, std::string> namespaces_;
};

}  // namespace

namespace Rilk {

void resolveProjectImports(const ProjectPtr& project, const RilkRegistry* registry) {
    if (!project) throw InternalError();
    ImportResolver(registry).resolveFrom(project);
}

std::vector<ProjectPtr> importedProjectsOf(const Project& project) {
    std::vector<ProjectPtr> found;
    std::set<const Project*> seen{&project};
    // Depth first, in import order: each project before the ones it imports.
    const auto visit = [&](const auto& self, const Project& from) -> void {
        for (const ProjectPtr& imported : from.importedProjects) {
            if (!seen.insert(imported.get()).second) continue;
            found.push_back(imported);
            self(self, *imported);
        }
    };
    visit(visit, project);
    return found;
}

}  // namespace Rilk
