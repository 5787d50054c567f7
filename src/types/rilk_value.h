#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "types/access_key.h"
#include "types/identifier.h"

namespace Rilk {

class RilkValue;
class IRilkValueIterator;
class Resolvable;

/// The concrete type of a value. Type tests go through it (`valueCast`), because a
/// `dynamic_cast` across this hierarchy costs a walk of the type graph with string compares
/// on every miss, and the build's hot paths test types all the time.
enum class ValueKind : std::uint8_t {
    BaseString,
    RawString,
    String,
    PathString,
    Int,
    List,
    Identifier,
    Context,
};

/// Values are shared objects: an in-place change is seen by every holder.
using RilkValuePtr = std::shared_ptr<RilkValue>;

/// A value of the configuration language (string, list, integer, identifier, nested
/// context).
///
/// Operations that take another value inspect its concrete type and raise
/// `BadConversion` for a type they do not accept (each type documents its rules).
/// `add` makes a new value, `append` changes this one in place; every other operation
/// leaves the value unchanged.
class RilkValue {
public:
    virtual ~RilkValue() = default;

    /// A copy of the value; lists copy their elements, nested contexts share their context.
    virtual RilkValuePtr clone() const = 0;
    /// "+": a new value; neither operand changes.
    virtual RilkValuePtr add(const RilkValue& other) const = 0;
    /// "+=": changes this value in place.
    virtual void append(const RilkValue& other) = 0;
    /// The element, character or variable that `key` names. Types without indexing
    /// raise `IndexException` with their display text and the key.
    virtual RilkValuePtr get(const AccessKey& key) const;
    /// The plain text: a string's characters, a list's elements joined by one blank.
    virtual std::string toString() const = 0;
    /// The text for messages and assignment texts; valid language text.
    virtual std::string toDisplayString() const = 0;
    /// A new iterator at the first element.
    virtual std::unique_ptr<IRilkValueIterator> begin() const = 0;
    /// A new iterator past the last element.
    virtual std::unique_ptr<IRilkValueIterator> end() const = 0;
    virtual bool equals(const RilkValue& other) const = 0;
    /// Exactly the negation of `equals`, including the errors it raises.
    virtual bool notEquals(const RilkValue& other) const;
    virtual bool greater(const RilkValue& other) const = 0;
    virtual bool less(const RilkValue& other) const = 0;
    /// The name of the concrete type ("RilkString", "RilkList", ...).
    virtual std::string typeName() const = 0;
    /// The concrete type, for `valueCast`.
    virtual ValueKind kind() const = 0;
    /// This value as a `Resolvable`, or null for values that refer to nothing.
    virtual Resolvable* resolvable() { return nullptr; }
};

/// Iteration over a value: a string's whitespace-separated words, a list's elements, a
/// nested context's variable names. Iterators of different concrete types must never be
/// compared; `equals` raises `InternalError` when they are.
class IRilkValueIterator {
public:
    virtual ~IRilkValueIterator() = default;
    /// Advances to the next element and returns this iterator.
    virtual IRilkValueIterator& increment() = 0;
    /// The current element (a new value or the element itself, as each type says).
    virtual RilkValuePtr dereference() const = 0;
    virtual bool equals(const IRilkValueIterator& other) const = 0;
};

/// The owning handle that loops use:
///     for (auto it = valueBegin(v), e = valueEnd(v); it != e; ++it) use(*it);
/// Handles without an iterator (values that cannot be iterated) are equal to each
/// other, so such a loop runs zero times.
class ValueIterator {
public:
    explicit ValueIterator(std::unique_ptr<IRilkValueIterator> iterator);

    ValueIterator& operator++();
    RilkValuePtr operator*() const;
    bool operator==(const ValueIterator& other) const;

private:
    std::unique_ptr<IRilkValueIterator> iterator_;
};

ValueIterator valueBegin(const RilkValue& value);
ValueIterator valueEnd(const RilkValue& value);

/// Finds the variables that values refer to. Contexts implement it.
class Resolver {
public:
    virtual ~Resolver() = default;
    /// The value the identifier names; throws when it names nothing.
    virtual RilkValuePtr resolve(const Identifier& identifier) = 0;
    /// `resolve` of the identifier that is this one name, without indices (a letter or '_',
    /// then letters, digits and '_'): the usual reference, which resolvers may look up
    /// without making the identifier.
    virtual RilkValuePtr resolveName(const std::string& name);
};

/// A value that refers to variables (strings, lists, identifiers, nested contexts) and is
/// resolved against the resolver it was given. The resolver is not owned; it is null after
/// construction and after `clone`. Test for this interface with `RilkValue::resolvable`.
class Resolvable {
public:
    virtual ~Resolvable() = default;
    /// Stores the resolver; containers also pass it on to their elements.
    virtual void setResolver(Resolver* resolver) { resolver_ = resolver; }
    /// The resolved value (this value itself changed in place, or a new value).
    virtual RilkValuePtr resolve() = 0;

    Resolver* resolver() const { return resolver_; }

protected:
    Resolvable() = default;
    Resolvable(const Resolvable&) = default;
    Resolvable& operator=(const Resolvable&) = default;

    Resolver* resolver_ = nullptr;
};

}  // namespace Rilk
