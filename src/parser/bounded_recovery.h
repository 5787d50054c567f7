#pragma once

#include <cstddef>
#include <stdexcept>

#include "antlr4-runtime.h"

namespace Rilk {

/// Thrown to abandon a parse whose error recovery would skip more than
/// `BoundedRecovery::kMaxSkippedTokens` tokens at once. The error that started the recovery
/// has been reported to the parser's error listeners when this is thrown.
class RecoveryAbandoned : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The runtime's error strategy, except that one recovery skips at most `kMaxSkippedTokens`
/// tokens: past them the parse is abandoned. Without the bound, a text of millions of tokens
/// that fit nowhere (a stray file read as a unit file) is read to its end after its first
/// error, every token kept in memory, for no further report.
class BoundedRecovery : public antlr4::DefaultErrorStrategy {
public:
    static constexpr std::size_t kMaxSkippedTokens = 100000;

protected:
    void consumeUntil(antlr4::Parser* recognizer, const antlr4::misc::IntervalSet& set) override;
};

}  // namespace Rilk
