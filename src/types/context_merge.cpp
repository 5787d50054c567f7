#include "types/context.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {

std::vector<Assignment> Context::addContext(const Context& source, unsigned typeOverride,
                                            unsigned mode, bool copyConditions) {
    std::vector<Assignment> failed;
    for (const auto& [name, stored] : source.assignments) {
        const Assignment applied =
            typeOverride == kKeepOperator ? stored
                              : Assignment(stored.name, stored.value,
                                           static_cast<AssignType>(typeOverride), stored.modifier);
        addMerged(applied, mode, failed);
    }
    if (copyConditions) addConditions(source);
    return failed;
}

void Context::addMerged(const Assignment& applied, unsigned mode,
                        std::vector<Assignment>& failed) {
    try {
        addAssignment(applied, mode);
    } catch (const BadOperation& error) {
        log(LogLevel::Debug, "Exception when adding implicit context: {}\n", error.message());
        failed.push_back(applied);
    }
}

}  // namespace Rilk
