// A recursive-descent reader of registry files, rule by rule the grammar's `registryFile`:
// the `projects` block, then the `tools` block, both optional. The tools' blocks and their
// values are the fast unit reader's, read as the visitor reads them in a registry file.
#include "parser/fast_registry_reader.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "parser/fast_lexer.h"
#include "parser/fast_unit_reader_class.h"
#include "types/build_tool_definition.h"
#include "types/context_template.h"
#include "types/rilk_reg_project.h"

namespace Rilk {
namespace fast_read {
namespace {

using Kind = FastToken::Kind;

/// The reader of one registry file's text; whatever it does not take throws `Declined`.
class FastRegistryReader : public FastUnitReader {
public:
    FastRegistryReader(std::string_view text, const std::filesystem::path& baseDirectory)
        : FastUnitReader(text, baseDirectory) {
        registry_ = true;
    }

    ParsedRegistry read() {
        ParsedRegistry registry;
        if (skip(Kind::ProjectsKeyword)) readProjects(registry);
        if (skip(Kind::ToolsKeyword)) readTools(registry);
        if (!at(Kind::End)) decline();
        return registry;
    }

private:
    void readProjects(ParsedRegistry& registry) {
        take(Kind::LBrace);
        while (!skip(Kind::RBrace)) {
            registry.projectLines.push_back(currentLine());
            std::string name = take(Kind::Identifier);
            if (!at(Kind::String)) decline();
            const std::string_view quoted = token_.text;
            std::filesystem::path path(std::string(quoted.substr(1, quoted.size() - 2)));
            advance();
            // A relative entry is taken against the registry file's own directory.
            if (!path.has_root_directory()) path = baseDirectory_ / path;
            registry.projects.push_back(RilkRegProject{std::move(name), std::move(path)});
        }
    }

    void readTools(ParsedRegistry& registry) {
        take(Kind::LBrace);
        while (!skip(Kind::RBrace)) {
            registry.toolLines.push_back(currentLine());
            std::string name = take(Kind::Identifier);
            auto block = std::make_shared<ContextTemplate>();
            const std::size_t start = offsetIn(text_);
            valuelessBlock_ = false;
            readBlock(block->assignments, block->conditions);
            // The template lacks what such a block held: its text keeps it.
            const std::string_view written = text_.substr(start, offsetIn(text_) - start);
            registry.writtenBlocks.push_back(valuelessBlock_ ? std::string(tokensOf(written))
                                                             : std::string());
            registry.tools.push_back(BuildToolDefinition{std::move(name), std::move(block)});
        }
    }

    /// The line of the current token, counted from 1; tokens are asked for in text order.
    std::size_t currentLine() {
        const std::size_t offset = offsetIn(text_);
        const std::string_view passed = text_.substr(linesCounted_, offset - linesCounted_);
        lines_ += static_cast<std::size_t>(std::count(passed.begin(), passed.end(), '\n'));
        linesCounted_ = offset;
        return lines_;
    }

    /// `text` from its first token to the end of its last, without the blanks and
    /// comments after it.
    static std::string_view tokensOf(std::string_view text) {
        FastLexer lexer(text);
        std::size_t end = 0;
        for (FastToken token = lexer.next(); token.kind != Kind::End && token.kind != Kind::Invalid;
             token = lexer.next()) {
            end = static_cast<std::size_t>(token.text.data() - text.data()) + token.text.size();
        }
        return text.substr(0, end);
    }

    /// `currentLine`'s count: the line at `linesCounted_`.
    std::size_t lines_ = 1;
    std::size_t linesCounted_ = 0;
};

}  // namespace
}  // namespace fast_read

std::optional<ParsedRegistry> readRegistryFast(
    std::string_view text, const std::filesystem::path& baseDirectory) noexcept {
    try {
        return fast_read::FastRegistryReader(text, baseDirectory).read();
    } catch (...) {
        // Declined, or a value the model refuses: the generated parser and the visitor
        // report it.
        return std::nullopt;
    }
}

}  // namespace Rilk
