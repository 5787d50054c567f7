#include "app/load/project_file_loader.h"

#include <stdexcept>
#include <string>

#include <fmt/format.h>

#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"
#include "parser/utf8_text.h"
#include "types/rilk_errors.h"
#include "util/bounded_file_read.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace Rilk {
namespace {

RilkException unreadable(const fs::path& file, const std::string& reason) {
    return RilkException(
        fmt::format("Project file '{}' cannot be read: {}.", file.string(), reason));
}

/// The whole text of the project file. A missing file is not found; anything else that is
/// no regular file within the limit (a directory would load as an empty project) or cannot
/// be read is refused, naming the file and why.
std::string readProjectText(const fs::path& file) {
    try {
        return Util::readWholeFile(file);
    } catch (const Util::FileReadError& error) {
        if (error.failure() == Util::FileReadFailure::Missing) {
            throw NotFoundException("Project file", file.string());
        }
        if (error.failure() == Util::FileReadFailure::CannotOpen ||
            error.failure() == Util::FileReadFailure::Directory) {
            throw unreadable(file, error.reason());
        }
        throw RilkException(error.what());
    }
}

/// The directory relative paths of the file are taken against.
fs::path projectDirectory(const fs::path& file) {
    const fs::path parent = file.parent_path();
    return fs::weakly_canonical(parent.empty() ? fs::path(".") : parent);
}

void fillProject(Project& project, ProjectData&& data) {
    project.declaredName = data.name;
    if (project.name.empty()) project.name = std::move(data.name);
    project.imports = std::move(data.imports);
    project.importedProjects.clear();
    project.toolDefinitions = std::move(data.tools);
    project.profiles.clear();
    for (Profile& profile : data.profiles) {
        // The later profile wins, its spelling of the name included.
        project.profiles.erase(profile.name);
        const std::string name = profile.name;
        project.profiles.emplace(name, std::move(profile));
    }
    project.units = std::move(data.units);
}

}  // namespace

ProjectData visitProjectTree(RilkTopParser::ProjFileContext* tree, const fs::path& directory,
                             const fs::path& source) {
    if (tree == nullptr || tree->rilkProject() == nullptr) {
        throw std::runtime_error("Unable to parse project file.");
    }
    RilkVisitorImpl visitor(directory, "", RilkVisitorImpl::Project);
    visitor.sourcePath = source;
    return takeResult<ProjectData>(visitor.visitRilkProject(tree->rilkProject()));
}

void loadProjectFile(Project& project) {
    const fs::path& file = project.projectFile;
    log(LogLevel::Trace, "Loading project file {}\n", file.string());
    const std::string text = readProjectText(file);
    if (!isUtf8(text)) throw RilkException(notUtf8Message(text, file));

    ThrowingErrorListener listener(file);
    ParseChain chain(text, file);
    chain.useErrorListener(listener);
    auto* tree = chain.projFile();
    listener.throwFirst();

    fillProject(project, visitProjectTree(tree, projectDirectory(file), file));
}

}  // namespace Rilk
