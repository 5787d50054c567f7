#include "app/cache_assignment_memo.h"

#include <cstring>

#include "types/rilk_value.h"

namespace Rilk {

std::size_t CacheAssignmentMemo::slotOf(const AssignmentRecordFields& fields) {
    const std::string_view text = fields.text;
    // Eight bytes at a time, mixed by multiplication: only the slot depends on it, the
    // match is always checked on the whole text.
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = text.size() ^ (static_cast<std::uint64_t>(fields.type) << 32) ^
                         (static_cast<std::uint64_t>(fields.modifier) << 48);
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof word);
        hash = (hash ^ word) * kMix;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, text.data() + i, text.size() - i);
    hash = (hash ^ tail) * kMix;
    return static_cast<std::size_t>(hash >> 56) % kSlots;
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
