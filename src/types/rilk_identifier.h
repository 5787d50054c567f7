#pragma once

#include <memory>
#include <string>

#include "types/identifier.h"
#include "types/rilk_value.h"

namespace Rilk {

/// A reference to another variable, written as a bare identifier (`a.b[0]`). It stays
/// unresolved until its context resolves it: arithmetic on it fails with `BadOperation`,
/// it equals every value and is never less or greater, and it cannot be iterated.
class RilkIdentifier : public RilkValue, public Resolvable {
public:
    explicit RilkIdentifier(Identifier identifier) : identifier_(std::move(identifier)) {}

    const Identifier& identifier() const { return identifier_; }

    RilkValuePtr clone() const override;
    RilkValuePtr add(const RilkValue& other) const override;
    void append(const RilkValue& other) override;
    /// The identifier in its written form.
    std::string toString() const override { return identifier_.toString(); }
    std::string toDisplayString() const override { return toString(); }
    /// Empty handles: a loop over an identifier runs zero times.
    std::unique_ptr<IRilkValueIterator> begin() const override { return nullptr; }
    std::unique_ptr<IRilkValueIterator> end() const override { return nullptr; }
    bool equals(const RilkValue&) const override { return true; }
    bool greater(const RilkValue&) const override { return false; }
    bool less(const RilkValue&) const override { return false; }
    std::string typeName() const override { return "RilkIdentifier"; }
    ValueKind kind() const override { return ValueKind::Identifier; }
    static constexpr bool holdsKind(ValueKind kind) { return kind == ValueKind::Identifier; }
    Resolvable* resolvable() override { return this; }

    /// The value the identifier names, found by the resolver; this value does not change.
    /// Without a resolver it raises a `RilkException` naming the identifier.
    RilkValuePtr resolve() override;

private:
    Identifier identifier_;
};

}  // namespace Rilk
