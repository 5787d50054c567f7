#include "app/record_contents.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "app/cache_equality.h"
#include "app/kinded_value.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

void hashBytes(std::uint64_t& hash, std::string_view text) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= kFnvPrime;
    }
}

/// Hashes the value's plain text, with every path (also inside lists) as its full path,
/// without making that text.
void hashValue(std::uint64_t& hash, const RilkValuePtr& value) {
    if (!value) return;
    const KindedValue kinded(*value);
    if (const auto* path = kinded.as<RilkPathString>()) {
        // The bytes of `fullPathText`, in pieces.
        const JoinedPath joined = joinPath(path->baseDirectory().native(), path->text());
        hashBytes(hash, joined.base);
        if (joined.separator) hashBytes(hash, "/");
        hashBytes(hash, joined.text);
        return;
    }
    if (const auto* list = kinded.as<RilkList>()) {
        for (std::size_t i = 0; i < list->elements().size(); ++i) {
            if (i > 0) hashBytes(hash, " ");
            hashValue(hash, list->elements()[i]);
        }
        return;
    }
    if (const auto* text = kinded.as<RilkBaseString>()) {
        hashBytes(hash, text->text());
        return;
    }
    if (const auto* nested = kinded.as<RilkContext>()) {
        if (!nested->context()) return;
    }
    hashBytes(hash, value->toString());
}

}  // namespace

std::uint64_t hashWorkItemInputs(const std::vector<WorkItemEntry>& inputs) {
    std::uint64_t hash = kFnvOffsetBasis;
    for (const WorkItemEntry& entry : inputs) {
        hashBytes(hash, entry.input.name);
        hashValue(hash, entry.input.value);
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
    items_.push_back(std::move(item));
    hashes_.push_back(hash);
    if (items_.size() == kScanLimit + 1) {
        for (std::size_t i = 0; i < hashes_.size(); ++i) byHash_.emplace(hashes_[i], i);
    } else if (items_.size() > kScanLimit) {
        byHash_.emplace(hash, items_.size() - 1);
    }
    return true;
}

std::vector<WorkItem> RecordContents::releaseWorkItems() {
    hashes_.clear();
    byHash_.clear();
    return std::exchange(items_, {});
}

const WorkItem* RecordContents::find(const std::vector<WorkItemEntry>& inputs) const {
    return findHashed(hashWorkItemInputs(inputs), inputs);
}

const WorkItem* RecordContents::findSame(const RecordContents& other, std::size_t index) const {
    return findHashed(other.hashes_.at(index), other.items_.at(index).inputs);
}

const WorkItem* RecordContents::findHashed(std::uint64_t hash,
                                           const std::vector<WorkItemEntry>& inputs) const {
    // No two held work items have the same inputs, so the order of the search does not
    // matter.
    if (items_.size() <= kScanLimit) {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (hashes_[i] == hash && sameInputs(items_[i].inputs, inputs)) return &items_[i];
        }
        return nullptr;
    }
    auto [first, last] = byHash_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        const WorkItem& held = items_[it->second];
        if (sameInputs(held.inputs, inputs)) return &held;
    }
    return nullptr;
}

}  // namespace Rilk
