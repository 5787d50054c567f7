#include "tools/dependency_files.h"

#include <utility>

#include "tools/work_item.h"
#include "types/path_values.h"

namespace Rilk {

namespace fs = std::filesystem;

std::shared_ptr<const DependencyFiles> DependencyFiles::besideOutputs(fs::path directory) {
    return std::shared_ptr<const DependencyFiles>(new DependencyFiles({}, std::move(directory)));
}

std::shared_ptr<const DependencyFiles> DependencyFiles::named(fs::path file, fs::path directory) {
    return std::shared_ptr<const DependencyFiles>(
        new DependencyFiles(std::move(file), std::move(directory)));
}

std::vector<fs::path> DependencyFiles::filesOf(const WorkItem& item) const {
    if (!file_.empty()) return {file_};
    std::vector<fs::path> files;
    for (const Assignment& output : item.outputs) {
        forEachPathValue(output.value, [&](const RilkPathString& path) {
            files.push_back(fs::path(path.fullPathText()).replace_extension(".d"));
        });
    }
    return files;
}

}  // namespace Rilk
