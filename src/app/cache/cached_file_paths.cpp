#include "app/cache/cached_file_paths.h"

#include "types/path_values.h"

namespace Rilk {

void addCachedFilePaths(const RecordContents& contents, std::vector<std::string>& paths) {
    const auto add = [&](const RilkPathString& path) { paths.push_back(path.fullPathText()); };
    for (const WorkItem& item : contents.workItems()) {
        for (const WorkItemEntry& entry : item.inputs) {
            forEachPathValue(entry.input.value, add);
            forEachPathValue(entry.intermediate().value, add);
        }
        for (const Assignment& output : item.outputs) forEachPathValue(output.value, add);
        if (item.filesRead) {
            paths.insert(paths.end(), item.filesRead->begin(), item.filesRead->end());
        }
    }
}

}  // namespace Rilk
