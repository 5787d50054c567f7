#pragma once

// Reads one registry text with the generated parser and the visitor, and with the fast
// reader, and renders both registries, so that a test or fuzz target can check that they
// agree.

#include <cstddef>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "every_entry.h"
#include "model_text.h"
#include "parser/fast_registry_reader.h"

namespace RilkFuzz {

/// The rendered registry from each road; empty where that road has none (the grammar's
/// road: a lexical, syntax or model error; the fast road: declined).
struct RegistryReadings {
    std::optional<std::string> grammar;
    std::optional<std::string> fast;

    /// The fast reader agrees: it declined, or it built the registry the grammar's road
    /// built. It never accepts a text the grammar's road refuses.
    bool agree() const { return !fast || (grammar && *grammar == *fast); }
};

/// The line `lines` gives for entry `index`, or "(missing)".
inline std::string lineOf(const std::vector<std::size_t>& lines, std::size_t index) {
    return index < lines.size() ? std::to_string(lines[index]) : "(missing)";
}

/// Every field of `registry`: the projects and tools in file order with the lines of their
/// names, each tool's block with each value's exact type and text, and the written text kept
/// for it.
inline std::string renderRegistry(const ParsedRegistry& registry) {
    std::string out;
    for (std::size_t i = 0; i < registry.projects.size(); ++i) {
        const auto& project = registry.projects[i];
        out += "project[" + project.name + "|" + project.path.string() + "] line " +
               lineOf(registry.projectLines, i) + "\n";
    }
    for (std::size_t i = 0; i < registry.tools.size(); ++i) {
        const auto& tool = registry.tools[i];
        out += "tool[" + tool.name + "] line " + lineOf(registry.toolLines, i) + " ";
        if (tool.contextTemplate) {
            renderBlock(out, tool.contextTemplate->assignments, tool.contextTemplate->conditions);
        } else {
            out += "none";
        }
        out += "\nwritten[";
        out += i < registry.writtenBlocks.size() ? registry.writtenBlocks[i] : "(missing)";
        out += "]\n";
    }
    return out;
}

inline std::optional<std::string> readRegistryWithGrammar(const std::string& text,
                                                          const std::filesystem::path& base) {
    try {
        Rilk::ParseChain chain(text, "registry.txt");
        forgetPredictions(chain);
        ThrowingErrorListener listener("registry.txt");
        chain.useErrorListener(listener);
        auto* tree = chain.registryFile();
        if (tree == nullptr || tree->rilkRegistry() == nullptr || !listener.messages().empty() ||
            chain.parser().getNumberOfSyntaxErrors() != 0) {
            return std::nullopt;
        }
        RilkVisitorImpl visitor(base, "", RilkVisitorImpl::Registry);
        visitor.sourcePath = "registry.txt";
        return renderRegistry(
            takeResult<ParsedRegistry>(visitor.visitRilkRegistry(tree->rilkRegistry())));
    } catch (const std::exception&) {
    } catch (const Rilk::RilkException&) {
    } catch (const Rilk::ParseError&) {
    }
    return std::nullopt;
}

inline RegistryReadings readRegistryBothWays(const std::string& text,
                                             const std::filesystem::path& base = "/fuzz/base") {
    RegistryReadings readings;
    readings.grammar = readRegistryWithGrammar(text, base);
    if (auto registry = Rilk::readRegistryFast(text, base)) {
        readings.fast = renderRegistry(*registry);
    }
    return readings;
}

}  // namespace RilkFuzz
