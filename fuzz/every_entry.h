#pragma once

#include <exception>
#include <memory>
#include <string>

#include "parser/parse_assignment.h"
#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"
#include "types/project_data.h"
#include "types/rilk_errors.h"
#include "types/parsed_registry.h"
#include "types/unit.h"

namespace RilkFuzz {

/// Builds the model of every outermost block under `node` with `visitor`.
inline void visitBlocks(antlr4::tree::ParseTree* node, RilkVisitorImpl& visitor) {
    if (auto* block = dynamic_cast<RilkTopParser::ContextContext*>(node)) {
        std::unique_ptr<RilkVisitorImpl::UnitContextData> data(
            takeResult<RilkVisitorImpl::UnitContextData*>(visitor.visitContext(block)));
        return;
    }
    for (auto* child : node->children) visitBlocks(child, visitor);
}

/// Empties the recognizers' shared prediction caches. They grow with every new input, so a
/// fuzzer would see its memory climb and coverage that depends on earlier inputs; one
/// program run parses only a few files and keeps them.
inline void forgetPredictions(Rilk::ParseChain& chain) {
    chain.lexer().getInterpreter<antlr4::atn::LexerATNSimulator>()->clearDFA();
    auto* simulator = chain.parser().getInterpreter<antlr4::atn::ParserATNSimulator>();
    simulator->clearDFA();
    simulator->getSharedContextCache().clear();
    chain.lexer().getInterpreter<antlr4::atn::LexerATNSimulator>()->getSharedContextCache().clear();
}

/// Builds the whole file model (unit, project or registry record) from a clean file tree.
inline void visitModel(antlr4::tree::ParseTree* tree, RilkVisitorImpl::FileKind kind) {
    RilkVisitorImpl visitor("/fuzz", "", kind);
    visitor.sourcePath = "fuzz.txt";
    if (auto* unit = dynamic_cast<RilkTopParser::UnitFileContext*>(tree)) {
        std::unique_ptr<Rilk::Unit> model(
            takeResult<Rilk::Unit*>(visitor.visitRilkUnit(unit->rilkUnit())));
    } else if (auto* project = dynamic_cast<RilkTopParser::ProjFileContext*>(tree)) {
        takeResult<Rilk::ProjectData>(visitor.visitRilkProject(project->rilkProject()));
    } else if (auto* registry = dynamic_cast<RilkTopParser::RegistryFileContext*>(tree)) {
        takeResult<ParsedRegistry>(visitor.visitRilkRegistry(registry->rilkRegistry()));
    }
}

/// Parses `text` as one file of the given kind and, when it parsed without errors, builds
/// the model of its blocks.
inline void parseFile(const std::string& text, RilkVisitorImpl::FileKind kind) {
    Rilk::ParseChain chain(text, "fuzz.txt");
    forgetPredictions(chain);
    ThrowingErrorListener listener("fuzz.txt");
    chain.useErrorListener(listener);
    antlr4::tree::ParseTree* tree = nullptr;
    switch (kind) {
        case RilkVisitorImpl::Registry:
            tree = chain.registryFile();
            break;
        case RilkVisitorImpl::Unit:
            tree = chain.unitFile();
            break;
        case RilkVisitorImpl::Project:
            tree = chain.projFile();
            break;
    }
    if (tree == nullptr || !listener.messages().empty()) return;
    RilkVisitorImpl visitor("/fuzz", "", kind);
    visitor.sourcePath = "fuzz.txt";
    visitBlocks(tree, visitor);
    visitModel(tree, kind);
}

/// Feeds `text` to each entry rule of the grammar and to the model builder. Every failure
/// the front end reports by design (syntax errors, too deep nesting, text that is not
/// UTF-8, model errors) is caught here; what remains for the fuzzer to find is a crash, a
/// leak, a hang or an unexpected exception type.
inline void parseFromEveryEntry(const std::string& text) {
    for (auto kind : {RilkVisitorImpl::Registry, RilkVisitorImpl::Unit, RilkVisitorImpl::Project}) {
        try {
            parseFile(text, kind);
        } catch (const std::exception&) {
        } catch (const Rilk::RilkException&) {
        }
    }
    try {
        Rilk::parseAssignment(text, ".");
    } catch (const std::exception&) {
    } catch (const Rilk::RilkException&) {
    }
}

}  // namespace RilkFuzz
