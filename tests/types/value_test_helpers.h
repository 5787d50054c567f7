#pragma once

#include <gtest/gtest.h>

#include <string>

#include "types/rilk_errors.h"
#include "types/rilk_value.h"

namespace Rilk {

/// Runs `action` and checks that it throws `Error` whose message is `expected`.
template <typename Error, typename Action>
void expectRilkError(Action action, const std::string& expected) {
    try {
        action();
        ADD_FAILURE() << "expected an error: " << expected;
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), expected);
    }
}

/// A value of a type that strings, lists and integers do not accept as an operand.
class ForeignValue : public RilkValue {
  public:
    RilkValuePtr clone() const override { return std::make_shared<ForeignValue>(); }
    RilkValuePtr add(const RilkValue&) const override { return clone(); }
    void append(const RilkValue&) override {}
    std::string toString() const override { return "o"; }
    std::string toDisplayString() const override { return "<o>"; }
    std::unique_ptr<IRilkValueIterator> begin() const override { return nullptr; }
    std::unique_ptr<IRilkValueIterator> end() const override { return nullptr; }
    bool equals(const RilkValue&) const override { return true; }
    bool greater(const RilkValue&) const override { return false; }
    bool less(const RilkValue&) const override { return false; }
    std::string typeName() const override { return "Foreign"; }
};

}  // namespace Rilk
