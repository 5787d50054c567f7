#include "app/record_contents.h"

#include <string>
#include <utility>

#include "app/cache_equality.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

void hashBytes(std::uint64_t& hash, const std::string& text) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= kFnvPrime;
    }
}

/// The value's plain text, with every path (also inside lists) as its full path.
std::string hashText(const RilkValuePtr& value) {
    if (!value) return std::string();
    if (const auto* path = valueCast<const RilkPathString>(value.get())) {
        return path->fullPathText();
    }
    if (const auto* list = valueCast<const RilkList>(value.get())) {
        std::string text;
        for (std::size_t i = 0; i < list->elements().size(); ++i) {
            if (i > 0) text += ' ';
            text += hashText(list->elements()[i]);
        }
        return text;
    }
    if (const auto* nested = valueCast<const RilkContext>(value.get())) {
        if (!nested->context()) return std::string();
    }
    return value->toString();
}

}  // namespace

std::uint64_t hashWorkItemInputs(const std::vector<WorkItemEntry>& inputs) {
    std::uint64_t hash = kFnvOffsetBasis;
    for (const WorkItemEntry& entry : inputs) {
        hashBytes(hash, entry.input.name);
        hashBytes(hash, hashText(entry.input.value));
    }
    return hash;
}

bool sameInputs(const std::vector<WorkItemEntry>& a, const std::vector<WorkItemEntry>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!cacheEqual(a[i].input, b[i].input)) return false;
    }
    return true;
}

bool RecordContents::add(WorkItem item) {
    const std::uint64_t hash = hashWorkItemInputs(item.inputs);
    if (findHashed(hash, item.inputs) != nullptr) return false;
    byHash_.emplace(hash, items_.size());
    items_.push_back(std::move(item));
    return true;
}

const WorkItem* RecordContents::find(const std::vector<WorkItemEntry>& inputs) const {
    return findHashed(hashWorkItemInputs(inputs), inputs);
}

const WorkItem* RecordContents::findHashed(std::uint64_t hash,
                                           const std::vector<WorkItemEntry>& inputs) const {
    auto [first, last] = byHash_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        const WorkItem& held = items_[it->second];
        if (sameInputs(held.inputs, inputs)) return &held;
    }
    return nullptr;
}

}  // namespace Rilk
