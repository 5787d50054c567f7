#include "types/value_cast.h"
#include "types/value_utils.h"

#include "types/rilk_list.h"
#include "types/rilk_path_string.h"

namespace Rilk {

namespace {

void appendLeaves(const RilkValuePtr& value, std::vector<RilkValuePtr>& leaves) {
    if (!value) return;
    const auto* list = valueCast<const RilkList>(value.get());
    if (!list) {
        leaves.push_back(value);
        return;
    }
    for (const RilkValuePtr& e : list->elements()) appendLeaves(e, leaves);
}

}  // namespace

std::vector<RilkValuePtr> flattenValue(const RilkValuePtr& value) {
    std::vector<RilkValuePtr> leaves;
    appendLeaves(value, leaves);
    return leaves;
}

void collectPaths(const RilkValuePtr& value, std::vector<std::filesystem::path>& paths) {
    if (const auto* path = valueCast<const RilkPathString>(value.get())) {
        paths.push_back(path->fullPath());
    } else if (const auto* list = valueCast<const RilkList>(value.get())) {
        for (const RilkValuePtr& e : list->elements()) collectPaths(e, paths);
    }
}

}  // namespace Rilk
