#include "app/cached_file_paths.h"

#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

/// Adds the full path of every path value in `value`; as deep as the comparison goes.
void addPaths(const RilkValuePtr& value, std::vector<std::string>& paths, int depth = 0) {
    if (!value || depth > 64) return;
    if (const auto* path = valueCast<const RilkPathString>(value.get())) {
        paths.push_back(path->fullPathText());
    } else if (const auto* list = valueCast<const RilkList>(value.get())) {
        for (const RilkValuePtr& element : list->elements()) addPaths(element, paths, depth + 1);
    } else if (const auto* block = valueCast<const RilkContext>(value.get())) {
        if (!block->context()) return;
        for (const auto& [name, stored] : block->context()->assignments) {
            addPaths(stored.value, paths, depth + 1);
        }
    }
}

}  // namespace

void addCachedFilePaths(const RecordContents& contents, std::vector<std::string>& paths) {
    for (const WorkItem& item : contents.workItems()) {
        for (const WorkItemEntry& entry : item.inputs) {
            addPaths(entry.input.value, paths);
            addPaths(entry.intermediate.value, paths);
        }
        for (const Assignment& output : item.outputs) addPaths(output.value, paths);
    }
}

}  // namespace Rilk
