#include "app/cache/cached_file_paths.h"

#include <string_view>
#include <unordered_set>

#include "types/path_values.h"

namespace Rilk {

void addCachedFilePaths(const RecordContents& contents, std::vector<std::string>& paths) {
    const auto add = [&](const RilkPathString& path) { paths.push_back(path.fullPathText()); };
    // The files read already added, viewed in the record's own lists.
    std::unordered_set<std::string_view> read;
    for (const WorkItem& item : contents.workItems()) {
        for (const WorkItemEntry& entry : item.inputs) {
            forEachPathValue(entry.input.value, add);
            forEachPathValue(entry.intermediate().value, add);
        }
        for (const Assignment& output : item.outputs) forEachPathValue(output.value, add);
        if (!item.filesRead) continue;
        // One work item's list holds each file once.
        if (contents.workItems().size() == 1) {
            paths.insert(paths.end(), item.filesRead->begin(), item.filesRead->end());
            continue;
        }
        for (const std::string& file : *item.filesRead) {
            if (read.insert(file).second) paths.push_back(file);
        }
    }
}

}  // namespace Rilk
