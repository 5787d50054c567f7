#include "app/registry/registry_writer.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

#include <fmt/format.h>

#include "types/exact_equality.h"
#include "app/registry/registry_reader.h"
#include "parser/source_writer.h"
#include "types/rilk_errors.h"

namespace Rilk {

namespace {

std::string projectLine(const Util::CiString& name, const std::filesystem::path& path) {
    std::string line = fmt::format("  {} ", name.str());
    Rilk::SourceWriter writer(Rilk::SourceForm::Template);
    if (!writer.plainString(line, path.string())) {
        throw std::invalid_argument(
            fmt::format("the path {}, which the file cannot hold", writer.refusal().reason));
    }
    return line + "\n";
}

void appendTool(std::string& out, const Util::CiString& name,
                const std::shared_ptr<Rilk::ContextTemplate>& definition,
                const WrittenToolBlocks& writtenBlocks) {
    // A block whose template does not hold all it held goes back as it was written, as
    // long as the tool still has the template read from it.
    const auto written = writtenBlocks.find(name);
    if (written != writtenBlocks.end() && definition && written->second.definition == definition) {
        out += fmt::format("  {} {}\n", name.str(), written->second.text);
        return;
    }
    out += fmt::format("  {} {{\n", name.str());
    Rilk::SourceWriter writer(Rilk::SourceForm::Template);
    if (definition && !writer.blockLines(out, *definition, 4)) {
        throw std::invalid_argument(writer.refusal().message());
    }
    out += "  }\n";
}

/// The written form; throws std::invalid_argument for an entry without one.
std::string render(const RegistryEntries& entries) {
    std::string text;
    if (!entries.projects.empty()) {
        text += "projects {\n";
        for (const auto& [name, path] : entries.projects) text += projectLine(name, path);
        text += "}\n";
        if (!entries.toolDefinitions.empty()) text += "\n";
    }
    if (!entries.toolDefinitions.empty()) {
        text += "tools {\n";
        for (const auto& [name, definition] : entries.toolDefinitions) {
            appendTool(text, name, definition, entries.writtenBlocks);
        }
        text += "}\n";
    }
    return text;
}

template <typename Map, typename Same>
bool sameEntries(const Map& a, const Map& b, Same same) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](const auto& x, const auto& y) {
        return x.first.str() == y.first.str() && same(x.second, y.second);
    });
}

/// Why `entries` would not survive being written and read back, or nothing when they do.
std::optional<std::string> roundTripProblem(const RegistryEntries& entries,
                                            const std::filesystem::path& file) {
    std::string text;
    try {
        text = render(entries);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    RegistryEntries readBack;
    try {
        readBack = readRegistryText(text, file);
    } catch (const std::exception& error) {
        return fmt::format("the written text does not read back: {}", error.what());
    }
    const bool same =
        sameEntries(entries.projects, readBack.projects, std::equal_to<>()) &&
        sameEntries(entries.toolDefinitions, readBack.toolDefinitions, Rilk::sameTemplate);
    if (same) return std::nullopt;
    return std::string("it reads back differently");
}

[[noreturn]] void refuse(const std::string& entry, const std::string& reason,
                         const std::filesystem::path& file) {
    throw Rilk::RilkException(fmt::format(
        "The {} cannot be written to the registry file '{}' so that it reads back the same: "
        "{}. The file was left untouched.",
        entry, file.string(), reason));
}

}  // namespace

std::string registryFileText(const RegistryEntries& entries, const std::filesystem::path& file) {
    if (!roundTripProblem(entries, file)) return render(entries);
    // Name the entry at fault: the first one that does not survive on its own.
    for (const auto& project : entries.projects) {
        RegistryEntries single;
        single.projects.insert(project);
        if (auto problem = roundTripProblem(single, file)) {
            refuse(fmt::format("project '{}'", project.first.str()), *problem, file);
        }
    }
    for (const auto& tool : entries.toolDefinitions) {
        RegistryEntries single;
        single.toolDefinitions.insert(tool);
        if (auto written = entries.writtenBlocks.find(tool.first);
            written != entries.writtenBlocks.end()) {
            single.writtenBlocks.insert(*written);
        }
        if (auto problem = roundTripProblem(single, file)) {
            refuse(fmt::format("tool '{}'", tool.first.str()), *problem, file);
        }
    }
    refuse("registry", *roundTripProblem(entries, file), file);
}

}  // namespace Rilk
