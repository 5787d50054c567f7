// The project-file template written by --create-project.
#include "app/driver/project_template.h"

#include <filesystem>
#include <system_error>

#include "parser/name_rules.h"
#include "parser/source_writer.h"
#include "app/load/project_file_loader.h"
#include "app/load/project_root.h"
#include "types/rilk_errors.h"
#include "util/file_writer.h"

namespace fs = std::filesystem;

namespace Rilk {
namespace {

const std::string kRefusal = "Cannot create the project file: ";

}  // namespace

void checkProjectName(const std::string& name) {
    if (const std::string reason = invalidNameReason(name); !reason.empty()) {
        throw RilkException(kRefusal + "the project name '" + name + "' is not a valid name: " +
                            reason + ". Run it in a directory whose name is a valid name.");
    }
}

namespace {

[[noreturn]] void refuseExisting(const fs::path& file) {
    throw RilkException(kRefusal + "'" + file.string() +
                        "' exists already. Remove it first to create a new one.");
}

}  // namespace

void checkNoProjectFile(const fs::path& file) {
    std::error_code error;
    if (fs::symlink_status(file, error).type() != fs::file_type::not_found) refuseExisting(file);
}

namespace {

void checkUnitName(const std::string& unitName, const std::vector<fs::path>& files) {
    if (const std::string reason = invalidNameReason(unitName); !reason.empty()) {
        throw RilkException(kRefusal + "the unit name '" + unitName + "' declared in '" +
                            files.front().string() + "' is not a valid name: " + reason + ".");
    }
}

/// The line of a unit file in the "units" block: its path in double quotes.
std::string unitFileLine(const fs::path& file) {
    std::string line = "  ";
    SourceWriter writer(SourceForm::Template);
    if (!writer.plainString(line, file.string())) {
        throw RilkException(kRefusal + "the path '" + file.string() + "' " +
                            writer.refusal().reason + ", which a project file cannot hold.");
    }
    return line + "\n";
}

}  // namespace

std::string projectTemplateText(const std::string& name, const ProjectTree& tree) {
    checkProjectName(name);
    std::string text = "name " + name + "\n" + "units\n{\n";
    for (const auto& [unitName, files] : tree.unitFiles) {
        if (unitName.empty()) continue;
        checkUnitName(unitName.str(), files);
        text += unitName.str() + "\n{\n";
        for (const fs::path& file : files) text += unitFileLine(file);
        text += "}\n";
    }
    return text + "}\n";
}

void createProjectFile(const LoadOptions& options, const std::string& name) {
    const fs::path workingDirectory = fs::current_path();
    // A project file is never overwritten: it may hold far more than the template.
    checkNoProjectFile(workingDirectory / kProjectFileName);
    Workspace workspace;
    settleProjectRoot(workspace, options);
    const fs::path& projectRoot = workspace.projectRoot;
    const std::string projectName = name.empty() ? workingDirectory.filename().string() : name;
    // Checked before the search, which could otherwise walk a whole file system first.
    Rilk::checkProjectName(projectName);
    // With -c there is no root; the tree below the working directory is searched then.
    const fs::path searchRoot = projectRoot.empty() ? workingDirectory : projectRoot;
    Rilk::ProjectTree tree;
    Rilk::findUnitFiles(tree, searchRoot, tree);
    const std::string text = Rilk::projectTemplateText(projectName, tree);
    // Another run may have created one since the check above.
    const fs::path file = workingDirectory / Rilk::kProjectFileName;
    if (!Util::writeNewFile(file, text)) refuseExisting(file);
}

}  // namespace Rilk
