#include "parser/grammar_name.h"

#include <memory>
#include <string>
#include <vector>

#include "antlr4-runtime.h"
#include "parser/CommonLexer.h"
#include "parser/grammar_lock.h"
#include "parser/rilk_error_counter.h"

namespace Rilk {
namespace {

bool isKeyword(size_t type) {
    switch (type) {
        case CommonLexer::UNIT_STR:
        case CommonLexer::IF_STR:
        case CommonLexer::IMPORT_STR:
        case CommonLexer::UNITS_STR:
        case CommonLexer::PROFILES_STR:
        case CommonLexer::PROJECTS_STR:
        case CommonLexer::TOOLS_STR:
        case CommonLexer::NAME_STR:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string invalidNameReason(std::string_view name) {
    if (name.empty()) return "it is empty";
    const auto grammarLock = Rilk::lockGrammar();
    std::unique_ptr<antlr4::ANTLRInputStream> input;
    try {
        input = std::make_unique<antlr4::ANTLRInputStream>(std::string(name));
    } catch (const std::exception&) {
        return "it is not valid UTF-8";
    }
    CommonLexer lexer(input.get());
    RilkErrorCounter errors("name", true);
    lexer.removeErrorListeners();
    lexer.addErrorListener(&errors);
    const std::vector<std::unique_ptr<antlr4::Token>> tokens = lexer.getAllTokens();
    if (errors.errorCount() == 0 && tokens.size() == 1 && tokens[0]->getText() == name) {
        if (tokens[0]->getType() == CommonLexer::IDENTIFIER) return "";
        if (isKeyword(tokens[0]->getType())) return "it is a keyword of the language";
    }
    return "a name starts with a letter or '_' and holds only letters, digits, '_' and '-'";
}

}  // namespace Rilk
