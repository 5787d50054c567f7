#pragma once

#include <filesystem>
#include <memory>
#include <vector>

namespace Rilk {

struct WorkItem;

/// Where the build of a work item writes its make dependency files (the compiler's list of
/// the headers it read), and the directory their relative names are taken from (the
/// command's working directory). One object serves every work item of a target, so that
/// planning costs no path per item: the files of an item are only named when it was built.
class DependencyFiles {
public:
    /// Beside each file the item outputs, named as that file with the extension ".d", as a
    /// compile's "-MD" writes them: each rule names the compiled source first.
    static std::shared_ptr<const DependencyFiles> besideOutputs(std::filesystem::path directory);
    /// The one file `file`, as the compiler writes the file SUNPRO_DEPENDENCIES names: one
    /// rule per source compiled, naming only the files it read, not the source itself.
    static std::shared_ptr<const DependencyFiles> named(std::filesystem::path file,
                                                        std::filesystem::path directory);

    /// The dependency files of `item`.
    std::vector<std::filesystem::path> filesOf(const WorkItem& item) const;
    /// The directory relative names in the files are taken from.
    const std::filesystem::path& directory() const { return directory_; }
    /// Whether each rule's first prerequisite is the source compiled rather than a file read.
    bool sourceFirst() const { return file_.empty(); }

private:
    DependencyFiles(std::filesystem::path file, std::filesystem::path directory)
        : file_(std::move(file)), directory_(std::move(directory)) {}

    /// The one file; empty for files beside the outputs.
    std::filesystem::path file_;
    std::filesystem::path directory_;
};

}  // namespace Rilk
