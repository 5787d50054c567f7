// Values: strings, raw and path strings, identifiers, numbers, lists and nested blocks.
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include "parser/closing_inside_literal.h"
#include "parser/literal_text.h"
#include "parser/rilk_visitor_impl.h"
#include "types/context_template.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace {

/// The text between the delimiters of a raw or path string: less `R"(` and `)"`. Warns
/// where that text holds `)"`: the literal most likely ran on past its intended end.
std::string delimitedContent(antlr4::tree::TerminalNode* node, const std::filesystem::path& file) {
    const std::string text = node->getText();
    if (text.size() < 5) return std::string();
    std::string content = text.substr(3, text.size() - 5);
    if (Rilk::holdsClosingDelimiter(content)) {
        const antlr4::Token* token = node->getSymbol();
        Rilk::log(Rilk::LogLevel::Warning, "{}\n",
                  Rilk::closingInsideLiteralWarning(file, token->getLine(),
                                                    token->getCharPositionInLine()));
    }
    return content;
}

}  // namespace

antlrcpp::Any RilkVisitorImpl::visitValueNode(RilkTopParser::ValueNodeContext* ctx) {
    NestingScope scope(*this, ctx);
    Rilk::RilkValuePtr value;
    if (ctx->STRING() != nullptr) {
        value = Rilk::makeString(Rilk::unquotedLiteral(ctx->STRING()->getText()));
    } else if (ctx->RAW_STRING() != nullptr) {
        value = std::make_shared<Rilk::RilkRawString>(
            delimitedContent(ctx->RAW_STRING(), sourcePath));
    } else if (ctx->PATH_STRING() != nullptr) {
        value = pathValue(delimitedContent(ctx->PATH_STRING(), sourcePath));
    } else if (ctx->identifier() != nullptr) {
        value = std::make_shared<Rilk::RilkIdentifier>(
            takeResult<Rilk::Identifier>(visitIdentifier(ctx->identifier())));
    } else if (ctx->NUMBER() != nullptr) {
        value = std::make_shared<Rilk::RilkInt>(intValue(ctx, ctx->NUMBER()->getText()));
    } else if (ctx->list() != nullptr) {
        value = takeResult<std::shared_ptr<Rilk::RilkList>>(visitList(ctx->list()));
    } else if (ctx->context() != nullptr) {
        value = contextValue(ctx->context());
    }
    return value;
}

antlrcpp::Any RilkVisitorImpl::visitList(RilkTopParser::ListContext* ctx) {
    auto list = std::make_shared<Rilk::RilkList>();
    for (auto* node : ctx->valueNode()) {
        auto value = takeResult<Rilk::RilkValuePtr>(visitValueNode(node));
        // Only a block in a project or registry file has no value; it adds nothing.
        if (value) list->append(*value);
    }
    return list;
}

std::int32_t RilkVisitorImpl::intValue(antlr4::ParserRuleContext* node,
                                       const std::string& text) const {
    errno = 0;
    long long number = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max()) {
        failOutOfRange(node, "the number " + text + " does not fit in a signed 32-bit integer");
    }
    return static_cast<std::int32_t>(number);
}

Rilk::RilkValuePtr RilkVisitorImpl::pathValue(const std::string& text) const {
    if (fileKind != Project) {
        // Relative to ".", a text that starts with "./" says so already: joined again it
        // would grow by a "./" each time a written-out value is read back.
        if (text.starts_with("./") && baseDirectory.native() == ".") {
            return Rilk::makePathString(text, std::filesystem::path());
        }
        return Rilk::makePathString(text, baseDirectory);
    }
    // A project file fixes its relative paths to its own directory at load time.
    std::filesystem::path path(text);
    if (!path.has_root_directory()) path = baseDirectory / path;
    return Rilk::makeString(path.native());
}

Rilk::RilkValuePtr RilkVisitorImpl::contextValue(RilkTopParser::ContextContext* ctx) {
    if (fileKind != Unit) {
        ++valuelessBlocks_;
        return nullptr;
    }
    return std::make_shared<Rilk::RilkContext>(blockTemplate(ctx)->createContext());
}
