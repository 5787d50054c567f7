#pragma once

#include <map>
#include <memory>
#include <string>

#include "types/assignment.h"
#include "types/context_fwd.h"
#include "types/rilk_value.h"
#include "util/ci_string.h"

namespace Rilk {

/// A nested block of assignments used as a value, written "{" ... "}". Its variables are
/// reached with dotted names (`cfg.name`).
///
/// The nested context is shared with whoever else holds it; `clone` shares it too. The
/// value's text is the names of the nested variables (not their values), and iteration
/// yields those names as strings. `add` and `append` merge another nested context's
/// assignments (each by its own operator) or declare the variable a string names.
class RilkContext : public RilkValue,
                    public Resolvable,
                    public std::enable_shared_from_this<RilkContext> {
public:
    /// Walks the variable names of a nested context, which it keeps alive.
    class Iterator : public IRilkValueIterator {
    public:
        using Position = AssignmentMap::const_iterator;
        Iterator(ContextPtr context, Position position)
            : context_(std::move(context)), position_(position) {}
        IRilkValueIterator& increment() override;
        RilkValuePtr dereference() const override;
        bool equals(const IRilkValueIterator& other) const override;

    private:
        ContextPtr context_;
        Position position_;
    };

    explicit RilkContext(ContextPtr context) : context_(std::move(context)) {}

    /// The nested context, shared.
    const ContextPtr& context() const { return context_; }

    RilkValuePtr clone() const override;
    /// With a context: a new value holding a copy of this nested context with the other's
    /// assignments applied; neither operand changes. With a plain or path string: the
    /// variable it names is declared in this (shared) nested context.
    RilkValuePtr add(const RilkValue& other) const override;
    /// As `add`, applied to this nested context in place.
    void append(const RilkValue& other) override;
    /// The stored value of the variable a name key designates.
    RilkValuePtr get(const AccessKey& key) const override;
    std::string toString() const override;
    std::string toDisplayString() const override { return toString(); }
    std::unique_ptr<IRilkValueIterator> begin() const override;
    std::unique_ptr<IRilkValueIterator> end() const override;
    /// True for the same nested context object; other types raise `BadConversion`.
    bool equals(const RilkValue& other) const override;
    /// Compare the numbers of variables.
    bool greater(const RilkValue& other) const override;
    bool less(const RilkValue& other) const override;
    std::string typeName() const override { return "RilkContext"; }
    ValueKind kind() const override { return ValueKind::Context; }
    static constexpr bool holdsKind(ValueKind kind) { return kind == ValueKind::Context; }
    Resolvable* resolvable() override { return this; }

    /// Stores the resolver and passes it on to every resolvable nested value.
    void setResolver(Resolver* resolver) override;
    /// Resolves every nested variable and returns this value itself.
    RilkValuePtr resolve() override;

private:
    /// The other operand as a nested context value, or `BadConversion`.
    const RilkContext& contextOperand(const RilkValue& other) const;
    /// The nested context, or `InternalError` when this value holds none.
    Context& nested() const;

    ContextPtr context_;
};

}  // namespace Rilk

namespace Rilk {

/// A copy of a value that shares no variables with it: `clone`, except that a nested
/// context value gets its own copy of the nested context, also inside lists. Null stays null. The
/// copy has no resolver.
RilkValuePtr independentCopy(const RilkValuePtr& value);

}  // namespace Rilk
