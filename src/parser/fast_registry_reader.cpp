// A recursive-descent reader of registry files, rule by rule the grammar's `registryFile`:
// the `projects` block, then the `tools` block, both optional. The tools' blocks and their
// values are the fast unit reader's, read as the visitor reads them in a registry file.
#include "parser/fast_registry_reader.h"

#include <filesystem>
#include <memory>
#include <string>
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
        if (skip(Kind::ProjectsKeyword)) readProjects(registry.projects);
        if (skip(Kind::ToolsKeyword)) readTools(registry.tools);
        if (!at(Kind::End)) decline();
        return registry;
    }

private:
    void readProjects(std::vector<RilkRegProject>& projects) {
        take(Kind::LBrace);
        while (!skip(Kind::RBrace)) {
            std::string name = take(Kind::Identifier);
            if (!at(Kind::String)) decline();
            const std::string_view quoted = token_.text;
            std::filesystem::path path(std::string(quoted.substr(1, quoted.size() - 2)));
            advance();
            // A relative entry is taken against the registry file's own directory.
            if (!path.has_root_directory()) path = baseDirectory_ / path;
            projects.push_back(RilkRegProject{std::move(name), std::move(path)});
        }
    }

    void readTools(std::vector<BuildToolDefinition>& tools) {
        take(Kind::LBrace);
        while (!skip(Kind::RBrace)) {
            std::string name = take(Kind::Identifier);
            auto block = std::make_shared<ContextTemplate>();
            readBlock(block->assignments, block->conditions);
            tools.push_back(BuildToolDefinition{std::move(name), std::move(block)});
        }
    }
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
