#include "types/rilk_list.h"

#include <cstdint>

#include "types/rilk_errors.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

/// -1, 0 or 1: how the element `a` orders against `b`. Only the same shared object is
/// equal by identity; different objects are ordered by their own `less` and `greater`,
/// and a missing element orders before a present one.
int compareElements(const RilkValuePtr& a, const RilkValuePtr& b) {
    if (a == b) return 0;
    if (!a || !b) return a ? 1 : -1;
    if (a->less(*b)) return -1;
    if (a->greater(*b)) return 1;
    return 0;
}

}  // namespace

IRilkValueIterator& RilkList::Iterator::increment() {
    ++position_;
    return *this;
}

RilkValuePtr RilkList::Iterator::dereference() const { return elements_->at(position_); }

bool RilkList::Iterator::equals(const IRilkValueIterator& other) const {
    const auto* that = dynamic_cast<const Iterator*>(&other);
    if (!that) throw InternalError();
    // Positions first: a loop compares against its end on every step.
    if (position_ != that->position_) return false;
    return elements_ == that->elements_ || *elements_ == *that->elements_;
}

RilkValuePtr RilkList::clone() const {
    std::vector<RilkValuePtr> copies;
    copies.reserve(elements_.size());
    for (const RilkValuePtr& e : elements_) copies.push_back(e ? e->clone() : nullptr);
    return std::make_shared<RilkList>(std::move(copies));
}

RilkValuePtr RilkList::add(const RilkValue& other) const {
    auto result = std::make_shared<RilkList>(elements_);
    result->append(other);
    return result;
}

void RilkList::append(const RilkValue& other) {
    if (const auto* list = valueCast<const RilkList>(&other)) {
        // Copy first: a list may be appended to itself.
        const std::vector<RilkValuePtr> added = list->elements_;
        elements_.insert(elements_.end(), added.begin(), added.end());
    } else {
        elements_.push_back(other.clone());
    }
}

RilkValuePtr RilkList::get(const AccessKey& key) const {
    if (key.index() == kPositionKey) {
        const auto n = static_cast<std::uint64_t>(std::get<kPositionKey>(key));
        if (n < elements_.size()) return elements_[n];
    }
    throw IndexException(toDisplayString(), key);
}

std::string RilkList::toString() const {
    std::string text;
    for (const RilkValuePtr& e : elements_) text += (e ? e->toString() : "") + " ";
    if (!text.empty()) text.pop_back();
    return text;
}

std::string RilkList::toDisplayString() const {
    // A missing element has no written form; it is left out.
    std::string text = "[";
    for (const RilkValuePtr& e : elements_) {
        if (e) text += " " + e->toDisplayString() + ",";
    }
    if (text.back() == ',') text.back() = ' ';
    return text + "]";
}

std::unique_ptr<IRilkValueIterator> RilkList::begin() const {
    return std::make_unique<Iterator>(&elements_, 0);
}

std::unique_ptr<IRilkValueIterator> RilkList::end() const {
    return std::make_unique<Iterator>(&elements_, elements_.size());
}

bool RilkList::equals(const RilkValue& other) const {
    const auto* list = valueCast<const RilkList>(&other);
    if (!list || list->elements_.size() != elements_.size()) return false;
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const RilkValuePtr& a = elements_[i];
        const RilkValuePtr& b = list->elements_[i];
        if (a == b) continue;
        if (!a || !b || !a->equals(*b)) return false;
    }
    return true;
}

namespace {

/// Lexicographic order of two element vectors; a proper prefix is less.
int compareLists(const std::vector<RilkValuePtr>& a, const std::vector<RilkValuePtr>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (const int c = compareElements(a[i], b[i])) return c;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

const RilkList& requireList(const RilkValue& other) {
    const auto* list = valueCast<const RilkList>(&other);
    if (!list) throw BadConversion(other.typeName(), other.toDisplayString(), "RilkList");
    return *list;
}

}  // namespace

bool RilkList::greater(const RilkValue& other) const {
    return compareLists(elements_, requireList(other).elements_) > 0;
}

bool RilkList::less(const RilkValue& other) const {
    return compareLists(elements_, requireList(other).elements_) < 0;
}

void RilkList::setResolver(Resolver* resolver) {
    Resolvable::setResolver(resolver);
    for (const RilkValuePtr& e : elements_) {
        if (auto* r = asResolvable(e.get())) r->setResolver(resolver);
    }
}

RilkValuePtr RilkList::resolve() {
    std::vector<RilkValuePtr> resolved;
    for (const RilkValuePtr& e : elements_) {
        if (!e) {
            resolved.push_back(nullptr);
            continue;
        }
        auto* resolvable = asResolvable(e.get());
        RilkValuePtr r = resolvable ? resolvable->resolve() : e;
        if (const auto* list = valueCast<const RilkList>(r.get())) {
            const std::vector<RilkValuePtr> inner = list->elements_;
            resolved.insert(resolved.end(), inner.begin(), inner.end());
        } else {
            resolved.push_back(r);
        }
    }
    return std::make_shared<RilkList>(std::move(resolved));
}

}  // namespace Rilk
