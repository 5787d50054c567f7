#include "app/load/project_file_loader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <fmt/format.h>

#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace Rilk {
namespace {

RilkException unreadable(const fs::path& file, const std::string& reason) {
    return RilkException(
        fmt::format("Project file '{}' cannot be read: {}.", file.string(), reason));
}

/// The whole text of the project file. Anything else of its name (a directory would load
/// as an empty project) and a file that cannot be read are refused, naming the file and why.
std::string readProjectText(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        if (!fs::exists(file, ec)) throw NotFoundException("Project file", file.string());
        throw unreadable(
            file, fs::is_directory(file, ec) ? "it is a directory" : "it is not a regular file");
    }
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw unreadable(file, std::strerror(errno != 0 ? errno : EIO));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The directory relative paths of the file are taken against.
fs::path projectDirectory(const fs::path& file) {
    const fs::path parent = file.parent_path();
    return fs::weakly_canonical(parent.empty() ? fs::path(".") : parent);
}

void fillProject(Project& project, ProjectData&& data) {
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

    ThrowingErrorListener listener(file);
    ParseChain chain(text, file);
    chain.useErrorListener(listener);
    auto* tree = chain.projFile();
    listener.throwFirst();

    fillProject(project, visitProjectTree(tree, projectDirectory(file), file));
}

}  // namespace Rilk
