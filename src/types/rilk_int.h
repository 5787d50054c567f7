#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "types/rilk_value.h"

namespace Rilk {

/// A signed 32-bit number. Arithmetic wraps around modulo 2^32. Every operation that
/// takes another value requires an integer. Iteration visits nothing.
class RilkInt : public RilkValue {
public:
    /// Holds the number; begin and end are equal, so a loop over an integer is empty.
    class Iterator : public IRilkValueIterator {
    public:
        explicit Iterator(std::int32_t number) : number_(number) {}
        IRilkValueIterator& increment() override { return *this; }
        RilkValuePtr dereference() const override;
        bool equals(const IRilkValueIterator& other) const override;

    private:
        std::int32_t number_;
    };

    explicit RilkInt(std::int32_t number) : number_(number) {}

    RilkValuePtr clone() const override;
    RilkValuePtr add(const RilkValue& other) const override;
    void append(const RilkValue& other) override;
    std::string toString() const override;
    std::string toDisplayString() const override { return toString(); }
    std::unique_ptr<IRilkValueIterator> begin() const override;
    std::unique_ptr<IRilkValueIterator> end() const override;
    bool equals(const RilkValue& other) const override;
    bool greater(const RilkValue& other) const override;
    bool less(const RilkValue& other) const override;
    std::string typeName() const override { return "RilkInt"; }
    ValueKind kind() const override { return ValueKind::Int; }
    static constexpr bool holdsKind(ValueKind kind) { return kind == ValueKind::Int; }

    std::int32_t number() const { return number_; }

private:
    /// The other operand as an integer, or `BadConversion` naming this value first.
    std::int32_t operand(const RilkValue& other) const;

    std::int32_t number_;
};

}  // namespace Rilk
