#pragma once

// Reads one unit-file text with the generated parser and the visitor, and with the fast
// reader, on one thread and cut into ranges on several, and renders the models, so that a
// test or fuzz target can check that they agree.

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "every_entry.h"
#include "model_text.h"
#include "parser/fast_unit_reader.h"

namespace RilkFuzz {

/// The rendered unit from each road; empty where that road has no unit (the grammar's
/// road: a lexical, syntax or model error; the fast road: declined).
struct UnitReadings {
    std::optional<std::string> grammar;
    std::optional<std::string> fast;
    /// The fast road with the text cut into ranges wherever it can be.
    std::optional<std::string> split;

    /// The fast reader agrees: it declined, or it built the unit the grammar's road built;
    /// and cut into ranges it gives what it gives on one thread.
    bool agree() const { return (!fast || (grammar && *grammar == *fast)) && split == fast; }
};

inline std::optional<std::string> readWithGrammar(const std::string& text,
                                                  const std::filesystem::path& base) {
    try {
        Rilk::ParseChain chain(text, "unit.txt");
        forgetPredictions(chain);
        ThrowingErrorListener listener("unit.txt");
        chain.useErrorListener(listener);
        auto* tree = chain.unitFile();
        if (tree == nullptr || tree->rilkUnit() == nullptr || !listener.messages().empty() ||
            chain.parser().getNumberOfSyntaxErrors() != 0) {
            return std::nullopt;
        }
        RilkVisitorImpl visitor(base, "", RilkVisitorImpl::Unit);
        std::unique_ptr<Rilk::Unit> unit(
            takeResult<Rilk::Unit*>(visitor.visitRilkUnit(tree->rilkUnit())));
        return renderUnit(*unit);
    } catch (const std::exception&) {
    } catch (const Rilk::RilkException&) {
    }
    return std::nullopt;
}

inline UnitReadings readBothWays(const std::string& text,
                                 const std::filesystem::path& base = "/fuzz/base") {
    UnitReadings readings;
    readings.grammar = readWithGrammar(text, base);
    if (Rilk::UnitPtr unit = Rilk::readUnitFast(text, base)) readings.fast = renderUnit(*unit);
    if (Rilk::UnitPtr unit = Rilk::readUnitFast(text, base, 0, 3)) {
        readings.split = renderUnit(*unit);
    }
    return readings;
}

}  // namespace RilkFuzz
