#pragma once

#include <filesystem>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "util/ci_string.h"

namespace Rilk {

/// One directory of a `ProjectTree`: its subdirectories and its regular files, in the
/// order the directory lists them.
struct ProjectTreeNode {
    /// The directory as it was reached.
    std::filesystem::path path;
    std::list<ProjectTreeNode> children;
    /// Every regular file of the directory, relative to the working directory.
    std::list<std::filesystem::path> files;
};

/// The directories and files below a project root, with the unit files found there by
/// the unit each declares in its first line. The project-file template is made from it.
/// The tree is its own top directory node.
struct ProjectTree : ProjectTreeNode {
    using Node = ProjectTreeNode;

    /// The unit files (named "rilk.txt" in any letter case) by declared unit name, in
    /// discovery order. Files that declare no unit, or cannot be read, stand under "".
    std::map<Util::CiString, std::vector<std::filesystem::path>> unitFiles;
};

/// Fills `node` from `directory` and its subdirectories, following links to directories,
/// and adds the unit files found to `tree.unitFiles`. A directory already being searched
/// further up (a link back up the tree) is not entered again. Errors of reading a
/// directory propagate as `std::filesystem::filesystem_error`.
void findUnitFiles(ProjectTree& tree, const std::filesystem::path& directory,
                   ProjectTree::Node& node);

/// The unit a unit file declares in its first line ("unit <name>", the keyword in any
/// letter case, the name verbatim up to the next white space); empty when the line
/// declares none.
std::string declaredUnitName(const std::string& firstLine);

}  // namespace Rilk
