#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "types/rilk_value.h"

namespace Rilk {

/// An ordered list of shared values, written "[a, b]".
///
/// `append` of a list adds that list's elements themselves; of any other value, a clone.
/// `get` takes a position only and returns the shared element. `resolve` returns a new
/// list in which elements that resolve to lists are flattened by one level.
class RilkList : public RilkValue, public Resolvable {
public:
    /// Walks the element vector of a list; the list must outlive the iterator.
    class Iterator : public IRilkValueIterator {
    public:
        Iterator(const std::vector<RilkValuePtr>* elements, std::size_t position)
            : elements_(elements), position_(position) {}
        IRilkValueIterator& increment() override;
        RilkValuePtr dereference() const override;
        bool equals(const IRilkValueIterator& other) const override;

    private:
        const std::vector<RilkValuePtr>* elements_;
        std::size_t position_;
    };

    RilkList() = default;
    /// A list holding exactly these elements (shared, not cloned).
    explicit RilkList(std::vector<RilkValuePtr> elements) : elements_(std::move(elements)) {}

    RilkValuePtr clone() const override;
    RilkValuePtr add(const RilkValue& other) const override;
    void append(const RilkValue& other) override;
    RilkValuePtr get(const AccessKey& key) const override;
    std::string toString() const override;
    std::string toDisplayString() const override;
    std::unique_ptr<IRilkValueIterator> begin() const override;
    std::unique_ptr<IRilkValueIterator> end() const override;
    bool equals(const RilkValue& other) const override;
    bool greater(const RilkValue& other) const override;
    bool less(const RilkValue& other) const override;
    std::string typeName() const override { return "RilkList"; }
    ValueKind kind() const override { return ValueKind::List; }
    static constexpr bool holdsKind(ValueKind kind) { return kind == ValueKind::List; }
    Resolvable* resolvable() override { return this; }

    void setResolver(Resolver* resolver) override;
    RilkValuePtr resolve() override;

    const std::vector<RilkValuePtr>& elements() const { return elements_; }

private:
    std::vector<RilkValuePtr> elements_;
};

}  // namespace Rilk
