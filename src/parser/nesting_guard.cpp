#include "parser/nesting_guard.h"

namespace Rilk {

const char* const NestingGuard::message =
    "nested too deeply: flatten the nested contexts, lists, conditions or indices";

void NestingGuard::enterEveryRule(antlr4::ParserRuleContext*) {
    if (depth_ < maxRuleDepth) {
        ++depth_;
        return;
    }
    parser_.notifyErrorListeners(parser_.getCurrentToken(), message, nullptr);
    throw NestingTooDeep(message);
}

void NestingGuard::exitEveryRule(antlr4::ParserRuleContext*) {
    if (depth_ > 0) --depth_;
}

}  // namespace Rilk
