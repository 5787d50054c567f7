#pragma once

// Parses texts of the configuration language as the loaders do, for the parser tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"
#include "types/project_data.h"
#include "types/rilk_path_string.h"
#include "types/parsed_registry.h"
#include "types/unit.h"

inline const std::string kMustRefused = "'!' assignment modifier is not allowed in this context.";

/// One parse of `text`, its errors collected in `listener`; kept alive to inspect the tree.
struct Parsed {
    explicit Parsed(const std::string& text, const std::string& source = "t")
        : chain(text, source), listener(source) {
        chain.useErrorListener(listener);
    }
    Rilk::ParseChain chain;
    ThrowingErrorListener listener;
};

enum class Entry { Registry, Unit, Project, Assignment };

/// The messages of every lexical and syntax error of parsing `text` from `entry`.
inline std::vector<std::string> syntaxErrors(Entry entry, const std::string& text,
                                             const std::string& source = "t") {
    Parsed parsed(text, source);
    if (entry == Entry::Registry) parsed.chain.registryFile();
    if (entry == Entry::Unit) parsed.chain.unitFile();
    if (entry == Entry::Project) parsed.chain.projFile();
    if (entry == Entry::Assignment) parsed.chain.assignment();
    return parsed.listener.messages();
}

using Kind = RilkVisitorImpl::FileKind;
using Block = RilkVisitorImpl::UnitContextData;

/// Parses one text from one rule and visits the node with a visitor of the given file kind,
/// calling the node's own operation as the loaders do. A syntax error, or text left after the
/// rule, fails with `std::logic_error`: a visit is only tried on a clean tree. The visitor is
/// public for inspecting its state after a visit.
class Visit {
public:
    Visit(const std::string& text, Kind kind, const std::filesystem::path& base = "/base")
        : visitor(base, "", kind), parsed_(text) {}

    RilkVisitorImpl visitor;

    auto value() { return run<Rilk::RilkValuePtr>(parser().valueNode(), &V::visitValueNode); }
    auto identifier() { return run<Rilk::Identifier>(parser().identifier(), &V::visitIdentifier); }
    auto assignment() { return run<Rilk::Assignment>(parser().assignment(), &V::visitAssignment); }
    auto context() { return owned<Block>(parser().context(), &V::visitContext); }
    auto unit() {
        return owned<Rilk::Unit>(clean(chain().unitFile())->rilkUnit(), &V::visitRilkUnit);
    }
    auto project() {
        return run<Rilk::ProjectData>(clean(chain().projFile())->rilkProject(),
                                      &V::visitRilkProject);
    }
    auto registry() {
        return run<ParsedRegistry>(clean(chain().registryFile())->rilkRegistry(),
                                &V::visitRilkRegistry);
    }

private:
    using V = RilkVisitorImpl;

    Rilk::ParseChain& chain() { return parsed_.chain; }
    RilkTopParser& parser() { return parsed_.chain.parser(); }

    template <typename Node>
    Node* clean(Node* node) {
        const auto& errors = parsed_.listener.messages();
        if (!errors.empty()) throw std::logic_error(errors.front());
        if (node == nullptr || !chain().atEnd()) throw std::logic_error("no clean tree");
        return node;
    }
    template <typename T, typename Node>
    T run(Node* node, antlrcpp::Any (V::*operation)(Node*)) {
        return takeResult<T>((visitor.*operation)(clean(node)));
    }
    template <typename T, typename Node>
    std::unique_ptr<T> owned(Node* node, antlrcpp::Any (V::*operation)(Node*)) {
        return std::unique_ptr<T>(run<T*>(node, operation));
    }

    Parsed parsed_;
};

inline std::unique_ptr<Rilk::Unit> unitOf(const std::string& text) {
    return Visit(text, Kind::Unit).unit();
}
inline Rilk::ProjectData projectOf(const std::string& text) {
    return Visit(text, Kind::Project).project();
}

/// A value as "<type name>:<text>", a path string with " in <base directory>", or "none"
/// for no value, so that a table row states the whole value.
inline std::string shown(const Rilk::RilkValuePtr& value) {
    if (value == nullptr) return "none";
    std::string text = value->typeName() + ":" + value->toString();
    auto* path = dynamic_cast<const Rilk::RilkPathString*>(value.get());
    return path ? text + " in " + path->baseDirectory().string() : text;
}

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
