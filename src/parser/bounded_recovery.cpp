#include "parser/bounded_recovery.h"

namespace Rilk {

void BoundedRecovery::consumeUntil(antlr4::Parser* recognizer,
                                   const antlr4::misc::IntervalSet& set) {
    std::size_t skipped = 0;
    for (size_t type = recognizer->getInputStream()->LA(1);
         type != antlr4::Token::EOF && !set.contains(type);
         type = recognizer->getInputStream()->LA(1)) {
        if (++skipped > kMaxSkippedTokens) {
            throw RecoveryAbandoned("error recovery abandoned after skipping too many tokens");
        }
        recognizer->consume();
    }
}

}  // namespace Rilk
