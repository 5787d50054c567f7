#include "app/build/path_list_merge.h"

#include <string>

#include "types/rilk_path_string.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {
namespace {

bool takesPathList(const Builder& tool, const std::string& name) {
    for (const auto& [variable, spec] : tool.declaredVariables) {
        if (Util::CiString::equal(variable.str(), name)) return spec.pathList;
    }
    return false;
}

bool isPathOrList(const RilkValuePtr& value) {
    return value && (value->kind() == ValueKind::PathString || value->kind() == ValueKind::List);
}

}  // namespace

void warnPathMergedIntoPath(const Assignment* existing, const Assignment& merged,
                            const QualifiedTargetName& targetName,
                            const QualifiedTargetName& dependencyName, const Builder* tool) {
    if (tool == nullptr || existing == nullptr || !isPathOrList(merged.value)) return;
    const auto* path = valueCast<const RilkPathString>(existing->value.get());
    if (path == nullptr || !takesPathList(*tool, merged.name)) return;
    const std::string& name = existing->name;
    log(LogLevel::Warning,
        "Merging {} of dependency {} into target {} appends a path to the one path {} "
        "holds, which makes a single path with a blank in it, but the tool takes {} as a list "
        "of paths. Write it as a list: {} = [P\"({})\"].\n",
        merged.name, dependencyName.shownName(), targetName.shownName(), name, name, name,
        path->text());
}

}  // namespace Rilk
