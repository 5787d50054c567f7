#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"

/// Parses one text from a single grammar rule and visits it with a visitor of the given
/// file kind and base directory "/base". A syntax error fails the test's call with
/// `std::logic_error`, so that a visit is only ever tried on a clean tree.
class VisitText {
  public:
    VisitText(const std::string& text, RilkVisitorImpl::FileKind kind)
        : chain_(text, "t.txt"), visitor(std::filesystem::path("/base"), "", kind) {
        chain_.useErrorListener(listener_);
    }

    Rilk::RilkValuePtr value() {
        return takeResult<Rilk::RilkValuePtr>(visitor.visitValueNode(clean(parser().valueNode())));
    }
    Rilk::Identifier identifier() {
        return takeResult<Rilk::Identifier>(visitor.visitIdentifier(clean(parser().identifier())));
    }
    Rilk::Assignment assignment() {
        return takeResult<Rilk::Assignment>(visitor.visitAssignment(clean(parser().assignment())));
    }
    std::unique_ptr<RilkVisitorImpl::UnitContextData> context() {
        return std::unique_ptr<RilkVisitorImpl::UnitContextData>(
            takeResult<RilkVisitorImpl::UnitContextData*>(
                visitor.visitContext(clean(parser().context()))));
    }

  private:
    RilkTopParser& parser() { return chain_.parser(); }

    template <typename Node>
    Node* clean(Node* node) {
        if (!listener_.messages().empty()) throw std::logic_error(listener_.messages().front());
        if (!chain_.atEnd()) throw std::logic_error("text left after the rule");
        return node;
    }

    Rilk::ParseChain chain_;
    ThrowingErrorListener listener_{"t.txt"};

  public:
    RilkVisitorImpl visitor;
};

/// Runs `call` and returns the text of the exception of type `E` it throws ("" when none).
template <typename E, typename Call>
std::string errorText(Call call) {
    try {
        call();
    } catch (const E& error) {
        return error.what();
    }
    return "";
}
