// The planning operations with which compiler-style builders describe their work: work
// items per source file, whole-variable inputs with intermediates, output pairs, and the
// object files of sources.

#include <memory>
#include <optional>

#include "tools/c_builder.h"
#include "tools/command_line_text.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"
#include "types/value_utils.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// False for texts that name a directory rather than a file ("", "src/", ".", "..").
bool namesFile(const fs::path& source) {
    const fs::path name = source.filename();
    return !name.empty() && name != "." && name != "..";
}

/// The variable's assignment when the variables define it with a value, else null.
const Assignment* withValue(const AssignmentTable& variables, const std::string& name) {
    auto found = variables.find(name);
    return found == variables.end() || !found->second.value ? nullptr : &found->second;
}

/// One value, or a new list of several (an empty list for none). A lone string taken from
/// a list stays in a list: the tools pass a string alone word by word, a list's element
/// whole (`flatArguments`), so `["a b"]` must not become `"a b"`.
RilkValuePtr oneOrList(std::vector<RilkValuePtr> values, bool fromList) {
    if (values.size() == 1 && !(fromList && isWordText(values.front()))) return values.front();
    return std::make_shared<RilkList>(std::move(values));
}

}  // namespace

void CBuilder::recordCompiledSources(const TargetContext& target) {
    forgetCompiledSources();
    std::vector<fs::path> sources;
    for (const RilkValuePtr& value : compiledSources(target)) {
        for (const RilkValuePtr& leaf : flattenValue(value)) {
            if (leaf && namesFile(leaf->toString())) sources.emplace_back(leaf->toString());
        }
    }
    targetPlacement_ = ObjectPlacement(sources, objectExtension());
    targetSources_ = std::move(sources);
    sourcesTarget_ = target.uniqueName();
}

void CBuilder::forgetCompiledSources() {
    sourcesTarget_.clear();
    targetSources_.clear();
    targetPlacement_ = ObjectPlacement();
}

std::vector<std::pair<RilkValuePtr, RilkValuePtr>> CBuilder::objectFiles(
    const RilkValuePtr& value, const fs::path& objectDirectory) const {
    std::vector<RilkValuePtr> leaves;
    std::vector<fs::path> sources;
    for (const RilkValuePtr& leaf : flattenValue(value)) {
        if (!leaf || !namesFile(leaf->toString())) continue;
        leaves.push_back(leaf);
        sources.emplace_back(leaf->toString());
    }
    // Sources the recorded placement does not know are placed together with the target's.
    std::optional<ObjectPlacement> widened;
    const ObjectPlacement* placement = &targetPlacement_;
    for (const fs::path& source : sources) {
        if (targetPlacement_.covers(source)) continue;
        std::vector<fs::path> all = targetSources_;
        all.insert(all.end(), sources.begin(), sources.end());
        placement = &widened.emplace(all, objectExtension());
        break;
    }
    std::vector<std::pair<RilkValuePtr, RilkValuePtr>> pairs;
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const fs::path object = placement->objectFor(sources[i], objectDirectory);
        // A name made from a found one: taken literally wherever it goes.
        auto objectPath = makePathString(object.string(), fs::path());
        objectPath->markLiteral();
        pairs.emplace_back(leaves[i], std::move(objectPath));
    }
    return pairs;
}

void CBuilder::addCompileWorkItems(const AssignmentTable& variables, const std::string& name,
                                   const fs::path& objectDirectory,
                                   std::vector<WorkItem>& out) const {
    const Assignment* sources = withValue(variables, name);
    if (sources == nullptr) return;
    for (const auto& [source, object] : objectFiles(sources->value, objectDirectory)) {
        WorkItem item;
        item.inputs.emplace_back(
            Assignment(name, source->clone(), AssignType::Set, sources->modifier));
        item.outputs.emplace_back("OBJS", object, AssignType::Set, AssignModifier::Up);
        out.push_back(std::move(item));
    }
}

void CBuilder::appendObjectFiles(const AssignmentTable& variables, const std::string& name,
                                 const fs::path& objectDirectory,
                                 std::vector<RilkValuePtr>& out) const {
    const Assignment* sources = withValue(variables, name);
    if (sources == nullptr) return;
    for (const auto& [source, object] : objectFiles(sources->value, objectDirectory)) {
        out.push_back(object);
    }
}

std::string CBuilder::fileNameText(const std::string& text) {
    std::string name = fs::path(text).filename().string();
    return name.empty() ? text : name;
}

void CBuilder::addInput(const AssignmentTable& variables, const std::string& name, WorkItem& item,
                        const std::optional<IntermediateSpec>& intermediate) {
    const Assignment* stored = withValue(variables, name);
    if (stored == nullptr) return;
    std::vector<RilkValuePtr> clones;
    for (const RilkValuePtr& leaf : flattenValue(stored->value)) {
        if (leaf) clones.push_back(leaf->clone());
    }
    std::vector<RilkValuePtr> derived;
    if (intermediate) {
        for (const RilkValuePtr& clone : clones) {
            if (RilkValuePtr made = intermediate->make(clone)) derived.push_back(made);
        }
    }
    const bool fromList = valueCast<const RilkList>(stored->value.get()) != nullptr;
    Assignment input(name, oneOrList(std::move(clones), fromList), AssignType::Set,
                     stored->modifier);
    if (derived.empty()) {
        item.inputs.emplace_back(std::move(input));
    } else {
        item.inputs.emplace_back(
            std::move(input),
            Assignment(intermediate->name, oneOrList(std::move(derived), fromList), AssignType::Set,
                       stored->modifier));
    }
}

void CBuilder::addOutputPair(std::vector<Assignment>& out, const std::string& pathVariable,
                             const std::string& nameVariable, const fs::path& baseDirectory,
                             const std::string& pathText) {
    // Names made here are taken literally wherever they go, like the files they name. A
    // relative output directory (OUTPUT_DIR = "lib") is where the commands run; the targets
    // that take the file in run elsewhere, so it goes on as a full path, as objects do.
    auto path = makePathString(pathText, baseDirectory.is_relative() && !baseDirectory.empty()
                                             ? fs::absolute(baseDirectory)
                                             : baseDirectory);
    path->markLiteral();
    out.emplace_back(pathVariable, std::move(path), AssignType::Set, AssignModifier::Up);
    out.emplace_back(nameVariable, makeLiteralString(fileNameText(pathText)), AssignType::Set,
                     AssignModifier::Up);
}

void CBuilder::addOutputPairToContext(Context& out, const std::string& pathVariable,
                                      const std::string& nameVariable,
                                      const fs::path& baseDirectory, const std::string& pathText) {
    std::vector<Assignment> pair;
    addOutputPair(pair, pathVariable, nameVariable, baseDirectory, pathText);
    for (Assignment& assignment : pair) {
        assignment.modifier = AssignModifier::None;
        out.addAssignment(assignment, kKeepModifier);
    }
}

}  // namespace Rilk
