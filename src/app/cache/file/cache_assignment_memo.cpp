#include "app/cache/file/cache_assignment_memo.h"

#include <functional>
#include <string_view>

#include "types/rilk_value.h"

namespace Rilk {

std::size_t CacheAssignmentMemo::slotOf(const AssignmentRecordFields& fields) {
    // Only the slot depends on the hash: a match is always checked on the whole text.
    const std::size_t hash = std::hash<std::string_view>{}(fields.text) ^
                             static_cast<std::size_t>(fields.type * 8 + fields.modifier);
    return hash % kSlots;
}

bool CacheAssignmentMemo::shareable(const Assignment& assignment) {
    if (!assignment.value) return true;
    switch (assignment.value->kind()) {
        case ValueKind::RawString:
        case ValueKind::String:
        case ValueKind::PathString:
        case ValueKind::Int:
            return true;
        default:
            return false;
    }
}

std::optional<Assignment> CacheAssignmentMemo::read(const AssignmentRecordFields& fields) {
    Entry& entry = entries_[slotOf(fields)];
    if (entry.assignment && entry.type == fields.type && entry.modifier == fields.modifier &&
        entry.text == fields.text) {
        return entry.assignment;
    }
    std::optional<Assignment> assignment = readRecordAssignment(fields);
    if (assignment && shareable(*assignment)) {
        entry.text = fields.text;
        entry.type = fields.type;
        entry.modifier = fields.modifier;
        entry.assignment = assignment;
    }
    return assignment;
}

}  // namespace Rilk
