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
/// The nested context is shared with whoever else holds it; `clone` shares it too. A value
/// made by `readOnlyView` reads a context that others share too and that must never change:
/// the first change through it or one of its clones gives them all a copy of their own.
/// The
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

    /// A value over `context`, which it never changes: it reads the context as long as
    /// nothing is changed through it; a change (an append, a declaration, a merge into it)
    /// first copies the context for this value and its clones. Meant for contexts whose
    /// variables are all resolved and resolve to themselves (see `isReadOnlyShareable`), so
    /// that binding and resolving through the value need not touch them. Two views made
    /// separately are two different nested contexts to `equals`, as two copies would be.
    static std::shared_ptr<RilkContext> readOnlyView(ContextPtr context);

    /// The nested context, shared; read it only (see `contextForChange`).
    const ContextPtr& context() const { return view_ ? view_->context : context_; }
    /// The nested context, to be changed: a read-only view's is first replaced by a copy
    /// for this value and its clones.
    const ContextPtr& contextForChange() const;

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
    /// `nested()` after `contextForChange()`.
    Context& nestedForChange() const;
    /// A value sharing this one's nested context (and view), without resolver.
    std::shared_ptr<RilkContext> sharing() const;
    /// Whether this value reads a context shared read-only.
    bool isReadOnly() const { return view_ && view_->readOnly; }

    /// The context of a read-only view and its clones: `readOnly` until the first change
    /// through one of them replaced `context` by a copy of their own.
    struct View {
        ContextPtr context;
        bool readOnly = true;
    };

    ContextPtr context_;
    std::shared_ptr<View> view_;
};

}  // namespace Rilk

namespace Rilk {

/// A copy of a value that shares no variables with it: `clone`, except that a nested
/// context value gets its own copy of the nested context, also inside lists. Null stays null. The
/// copy has no resolver.
RilkValuePtr independentCopy(const RilkValuePtr& value);

/// Whether `RilkContext::readOnlyView` may show `context`: every variable is resolved and
/// holds no value, an integer, or a plain text or path (nothing to expand), so that neither
/// binding nor resolving it reads or changes anything.
bool isReadOnlyShareable(const Context& context);

/// Resolves every variable of `context` when each one not resolved yet holds no value, an
/// integer, a plain text or a resolved (literal) path: their resolved forms are the same
/// texts wherever and whenever they are resolved, so a dependent that reads the context
/// later finds what it would have made. Otherwise changes nothing. Logs nothing.
void resolveSelfContained(Context& context);

}  // namespace Rilk
