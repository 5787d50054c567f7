#include "app/registry/registry_reader.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "parser/closing_inside_literal.h"
#include "parser/fast_registry_reader.h"
#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"
#include "types/parsed_registry.h"

namespace Rilk {

namespace {

std::filesystem::path directoryOf(const std::filesystem::path& file) {
    const std::filesystem::path directory = file.parent_path();
    return directory.empty() ? "." : directory;
}

std::filesystem::path baseDirectoryOf(const std::filesystem::path& file) {
    return std::filesystem::weakly_canonical(directoryOf(file));
}

/// Whether the text holds nothing but blanks and line ends, which the grammar skips: such a
/// registry (the one a first run creates is empty) registers nothing, and reading it needs
/// no parser, whose set-up alone costs a small project's run a noticeable share.
bool onlyBlanks(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

/// The registry as the fast reader reads it; nothing where it declines or where the file's
/// directory cannot be resolved, which the generated parser's road reports in its order.
std::optional<ParsedRegistry> readFast(const std::string& text, const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::weakly_canonical(directoryOf(file), error);
    if (error) return std::nullopt;
    return readRegistryFast(text, base);
}

/// The registry as the generated parser and the visitor read it, with their diagnostics.
ParsedRegistry readWithGrammar(const std::string& text, const std::filesystem::path& file) {
    Rilk::ParseChain chain(text, file);
    ThrowingErrorListener listener(file);
    chain.useErrorListener(listener);
    auto* root = chain.registryFile();
    listener.throwFirst();
    if (root == nullptr || root->rilkRegistry() == nullptr) {
        throw std::runtime_error("Unable to parse registry file.");
    }
    RilkVisitorImpl visitor(baseDirectoryOf(file), "", RilkVisitorImpl::Registry);
    visitor.sourcePath = file;
    return takeResult<ParsedRegistry>(visitor.visitRilkRegistry(root->rilkRegistry()));
}

/// Adds to `replaced` the entry before `index` in `written` that entry `index` replaces, the
/// last one before it of its name.
template <typename Entry>
void addReplaced(std::vector<ReplacedEntry>& replaced, const char* kind,
                 const std::vector<Entry>& written, const std::vector<std::size_t>& lines,
                 std::size_t index) {
    for (std::size_t earlier = index; earlier-- > 0;) {
        if (Util::CiString::equal(written[earlier].name, written[index].name)) {
            const std::size_t line = earlier < lines.size() ? lines[earlier] : 0;
            replaced.push_back(ReplacedEntry{kind, written[earlier].name, line});
            return;
        }
    }
}

}  // namespace

RegistryEntries readRegistryText(const std::string& text, const std::filesystem::path& file) {
    if (onlyBlanks(text)) return {};
    std::optional<ParsedRegistry> data = readFast(text, file);
    if (data) {
        warnClosingInsideLiterals(text, file);
    } else {
        data = readWithGrammar(text, file);
    }

    RegistryEntries entries;
    for (std::size_t i = 0; i < data->projects.size(); ++i) {
        RilkRegProject& project = data->projects[i];
        if (!entries.projects.insert_or_assign(project.name, std::move(project.path)).second) {
            addReplaced(entries.replacedEntries, "project", data->projects, data->projectLines, i);
        }
    }
    for (std::size_t i = 0; i < data->tools.size(); ++i) {
        BuildToolDefinition& tool = data->tools[i];
        if (!entries.toolDefinitions.insert_or_assign(tool.name, tool.contextTemplate).second) {
            addReplaced(entries.replacedEntries, "tool", data->tools, data->toolLines, i);
        }
        // A later entry of the same name replaces the earlier one's written block too.
        if (i < data->writtenBlocks.size() && !data->writtenBlocks[i].empty()) {
            entries.writtenBlocks[tool.name] =
                WrittenToolBlock{tool.contextTemplate, std::move(data->writtenBlocks[i])};
        } else {
            entries.writtenBlocks.erase(tool.name);
        }
    }
    // In file order: an entry is found when a later one of its name comes.
    std::stable_sort(
        entries.replacedEntries.begin(), entries.replacedEntries.end(),
        [](const ReplacedEntry& a, const ReplacedEntry& b) { return a.line < b.line; });
    return entries;
}

}  // namespace Rilk
