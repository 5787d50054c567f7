#include "parser/parse_assignment.h"

#include <memory>
#include <stdexcept>

#include "parser/parse_chain.h"
#include "parser/rilk_error_counter.h"
#include "parser/rilk_visitor_impl.h"
#include "types/rilk_identifier.h"
#include "types/rilk_string.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

[[noreturn]] void failParse(const RilkErrorCounter& counter) {
    throw std::runtime_error(std::string("Parsing ") + counter.name() +
                             " failed due to syntax errors.");
}

}  // namespace

Assignment parseAssignment(const std::string& text, const std::filesystem::path& source,
                           bool quiet) {
    RilkErrorCounter counter("assignment", true);
    std::unique_ptr<ParseChain> chain;
    try {
        chain = std::make_unique<ParseChain>(text, source);
    } catch (const std::runtime_error&) {
        failParse(counter);  // not UTF-8
    }
    chain->parser().removeErrorListeners();
    chain->parser().addErrorListener(&counter);
    // Unless quiet, the console listener stays on the lexer, so lexical errors are shown;
    // the counter makes them fail the parse as well.
    if (quiet) chain->lexer().removeErrorListeners();
    chain->lexer().addErrorListener(&counter);

    auto* tree = chain->assignment();
    if (tree == nullptr || chain->parser().getNumberOfSyntaxErrors() != 0 ||
        counter.errorCount() > 0 || !chain->atEnd()) {
        failParse(counter);
    }

    RilkVisitorImpl visitor(source, "", RilkVisitorImpl::Unit);
    auto assignment = takeResult<Assignment>(visitor.visitAssignment(tree));
    if (auto* identifier = valueCast<RilkIdentifier>(assignment.value.get())) {
        assignment.replaceValue(makeString(identifier->toString()));
    }
    return assignment;
}

}  // namespace Rilk
