#include "app/cache/record_contents.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "app/cache/cache_equality.h"
#include "types/kinded_value.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "util/ci_string.h"

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

/// Whether two `cacheEqual` values feed `hashValue` the same bytes: equal texts and paths
/// hash their (full path) texts, equal integers their same decimal text, lists their
/// elements. Blocks and other kinds are left to the hashes.
bool sameValueBytes(const RilkValuePtr& a, const RilkValuePtr& b) {
    if (!a || !b) return !a && !b;
    const KindedValue x(*a);
    if (x.as<RilkBaseString>() != nullptr || x.as<RilkInt>() != nullptr) return true;
    const auto* listA = x.as<RilkList>();
    if (listA == nullptr) return false;
    const auto* listB = KindedValue(*b).as<RilkList>();
    if (listB == nullptr || listA->elements().size() != listB->elements().size()) return false;
    for (std::size_t i = 0; i < listA->elements().size(); ++i) {
        if (!sameValueBytes(listA->elements()[i], listB->elements()[i])) return false;
    }
    return true;
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

InputMatch matchInputs(const std::vector<WorkItemEntry>& a, const std::vector<WorkItemEntry>& b) {
    if (a.size() != b.size()) return InputMatch::Different;
    bool sameBytes = true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Assignment& x = a[i].input;
        const Assignment& y = b[i].input;
        // `cacheEqual` of the assignments, with the exact name test kept for the bytes.
        const bool exactName = x.name == y.name;
        if (x.type != y.type || x.modifier != y.modifier ||
            (!exactName && !Util::CiString::equal(x.name, y.name)) ||
            !cacheEqual(x.value, y.value)) {
            return InputMatch::Different;
        }
        sameBytes = sameBytes && exactName && sameValueBytes(x.value, y.value);
    }
    return sameBytes ? InputMatch::SameBytes : InputMatch::Same;
}

RecordContents::RecordContents(const RecordContents& other)
    : context(other.context),
      items_(other.items_),
      hashes_(other.hashes_),
      byHash_(other.byHash_ ? std::make_unique<HashIndex>(*other.byHash_) : nullptr) {}

RecordContents& RecordContents::operator=(const RecordContents& other) {
    if (this != &other) *this = RecordContents(other);
    return *this;
}

bool RecordContents::add(WorkItem item) {
    // The first work item's hash waits until a second one needs the index.
    if (items_.empty()) {
        items_.push_back(std::move(item));
        return true;
    }
    if (hashes_.empty()) hashes_.push_back(hashWorkItemInputs(items_.front().inputs));
    const std::uint64_t hash = hashWorkItemInputs(item.inputs);
    if (findHashed(hash, item.inputs) != nullptr) return false;
    items_.push_back(std::move(item));
    hashes_.push_back(hash);
    if (items_.size() == kScanLimit + 1) {
        byHash_ = std::make_unique<HashIndex>();
        for (std::size_t i = 0; i < hashes_.size(); ++i) byHash_->emplace(hashes_[i], i);
    } else if (items_.size() > kScanLimit) {
        byHash_->emplace(hash, items_.size() - 1);
    }
    return true;
}

void RecordContents::addAll(std::vector<WorkItem> items) {
    if (items_.empty() && items.size() == 1) {
        items_ = std::move(items);
        return;
    }
    for (WorkItem& item : items) add(std::move(item));
}

std::vector<WorkItem> RecordContents::releaseWorkItems() {
    hashes_.clear();
    byHash_.reset();
    return std::exchange(items_, {});
}

const WorkItem* RecordContents::find(const std::vector<WorkItemEntry>& inputs) const {
    if (items_.size() == 1) return findOnly(inputs, nullptr);
    return findHashed(hashWorkItemInputs(inputs), inputs);
}

const WorkItem* RecordContents::findSame(const RecordContents& other, std::size_t index) const {
    const std::vector<WorkItemEntry>& inputs = other.items_.at(index).inputs;
    const std::uint64_t* known = other.hashes_.empty() ? nullptr : &other.hashes_[index];
    if (items_.size() == 1) return findOnly(inputs, known);
    return findHashed(known != nullptr ? *known : hashWorkItemInputs(inputs), inputs);
}

const WorkItem* RecordContents::findOnly(const std::vector<WorkItemEntry>& inputs,
                                         const std::uint64_t* knownHash) const {
    const WorkItem& held = items_.front();
    const InputMatch match = matchInputs(held.inputs, inputs);
    if (match == InputMatch::Different) return nullptr;
    // As with a held hash, the hashes must agree too.
    if (match == InputMatch::SameBytes) return &held;
    const std::uint64_t hash = knownHash != nullptr ? *knownHash : hashWorkItemInputs(inputs);
    return hashWorkItemInputs(held.inputs) == hash ? &held : nullptr;
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
    auto [first, last] = byHash_->equal_range(hash);
    for (auto it = first; it != last; ++it) {
        const WorkItem& held = items_[it->second];
        if (sameInputs(held.inputs, inputs)) return &held;
    }
    return nullptr;
}

}  // namespace Rilk
