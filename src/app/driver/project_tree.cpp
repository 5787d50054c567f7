#include "app/driver/project_tree.h"

#include <sys/stat.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "util/bounded_file_read.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace Rilk {
namespace {

/// The identity of a directory, whatever path reaches it.
using DirectoryId = std::pair<dev_t, ino_t>;

bool directoryId(const fs::path& directory, DirectoryId& id) {
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0) return false;
    id = {info.st_dev, info.st_ino};
    return true;
}

/// The unit name a found unit file declares; "" when it cannot be read. Only the start of
/// the file is read: a declaration is short, and a found file may be of any size.
std::string readDeclaredUnit(const fs::path& file) {
    constexpr std::size_t kFirstLineBytes = 4096;
    std::string start;
    try {
        start = Util::readFilePrefix(file, kFirstLineBytes);
    } catch (const Util::FileReadError&) {
        log(LogLevel::Error, "unit file not found\n");
        return "";
    }
    return declaredUnitName(start.substr(0, start.find('\n')));
}

fs::file_type typeOf(const fs::directory_entry& entry) {
    const fs::file_type type = entry.symlink_status().type();
    if (type != fs::file_type::symlink && type != fs::file_type::none &&
        type != fs::file_type::unknown) {
        return type;
    }
    std::error_code ec;
    return fs::status(entry.path(), ec).type();
}

class UnitFileSearch {
public:
    explicit UnitFileSearch(ProjectTree& tree) : tree_(tree) {}

    void search(const fs::path& directory, ProjectTree::Node& node) {
        DirectoryId id{};
        const bool known = directoryId(directory, id);
        if (known) descent_.insert(id);
        node.path = directory;
        for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
            const fs::file_type type = typeOf(entry);
            if (type == fs::file_type::directory) {
                enter(entry.path(), node);
            } else if (type == fs::file_type::regular) {
                addFile(entry.path(), node);
            }
        }
        if (known) descent_.erase(id);
    }

private:
    void enter(const fs::path& directory, ProjectTree::Node& node) {
        DirectoryId id{};
        if (directoryId(directory, id) && descent_.count(id) != 0) {
            log(LogLevel::Verbose, "Not entering {}: it leads back to a directory being searched.\n",
                directory.string());
            return;
        }
        ProjectTree::Node child;
        search(directory, child);
        node.children.push_back(std::move(child));
    }

    void addFile(const fs::path& file, ProjectTree::Node& node) {
        node.files.push_back(fs::relative(file));
        if (Util::CiString::equal(file.filename().string(), "rilk.txt")) {
            tree_.unitFiles[readDeclaredUnit(file)].push_back(node.files.back());
        }
    }

    ProjectTree& tree_;
    /// The directories from the top of the search down to the one being searched.
    std::set<DirectoryId> descent_;
};

}  // namespace

std::string declaredUnitName(const std::string& firstLine) {
    std::istringstream words(firstLine);
    std::string keyword, name;
    if (words >> keyword >> name && Util::CiString::equal(keyword, "unit")) return name;
    return "";
}

void findUnitFiles(ProjectTree& tree, const fs::path& directory, ProjectTree::Node& node) {
    UnitFileSearch(tree).search(directory, node);
}

}  // namespace Rilk
