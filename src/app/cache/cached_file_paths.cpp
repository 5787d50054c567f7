#include "app/cache/cached_file_paths.h"

#include <string_view>
#include <unordered_set>

#include "app/cache/file_time_prefetch.h"
#include "types/path_values.h"

namespace Rilk {

void addCachedFilePaths(const RecordContents& contents, std::string& paths) {
    std::string joined;
    const auto add = [&](const RilkPathString& path) {
        assignJoinedPath(joined, joinPath(path.baseDirectory().native(), path.text()));
        addPathText(paths, joined);
    };
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
        const bool alone = contents.workItems().size() == 1;
        for (const std::string& file : *item.filesRead) {
            if (alone || read.insert(file).second) addPathText(paths, file);
        }
    }
}

}  // namespace Rilk
