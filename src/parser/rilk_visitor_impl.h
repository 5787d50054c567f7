#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "antlr4-runtime.h"
#include "parser/RilkTopParserBaseVisitor.h"
#include "types/assignment.h"
#include "types/condition.h"
#include "types/identifier.h"
#include "types/rilk_value.h"

/// Turns the parse trees of `RilkTopParser` into model objects. One visitor serves one parse;
/// its file kind decides what path literals and nested blocks become and where "!" is legal.
///
/// Callers call the operation of the node they hold directly (never through the tree's
/// `accept`) and move the result out of the returned `antlrcpp::Any` with `takeResult`, with
/// exactly the type that the operation documents. Rules without an override of their own
/// keep the generated default (`visitChildren`), whose aggregated result must not be relied
/// on: an `antlrcpp::Any` copy of a type whose copy may throw is silently empty.
///
/// Nothing is caught: every failure propagates and whatever was built so far is released.
/// Values, identifiers, assignments, conditions and context blocks are built here; units,
/// targets, dependencies and the registry and project records are built by further
/// overrides of the rule operations of those parts.
class RilkVisitorImpl : public RilkTopParserBaseVisitor {
public:
    /// What the visited text is. A single assignment is read as `Unit`.
    enum FileKind : std::uint32_t { Unit = 0, Project = 1, Registry = 2 };

    /// The raw content of one context block, in text order. Created on the heap by
    /// `visitContext`; the receiver moves the vectors out and deletes it.
    struct UnitContextData {
        std::vector<Rilk::Assignment> assignments;
        /// Each condition carries the template of its block as `body`.
        std::vector<Rilk::Condition> conditions;
    };

    /// Deepest nesting of blocks, lists, conditions and identifier indices that a visit
    /// follows; a deeper tree fails with an error instead of exhausting the stack. Trees
    /// from `Rilk::ParseChain` never reach it.
    static constexpr std::size_t maxNesting = 1000;

    RilkVisitorImpl(std::filesystem::path baseDirectory, std::string targetNamespace,
                    FileKind fileKind)
        : baseDirectory(std::move(baseDirectory)),
          targetNamespace(std::move(targetNamespace)),
          fileKind(fileKind) {}
    RilkVisitorImpl(const RilkVisitorImpl&) = delete;
    RilkVisitorImpl& operator=(const RilkVisitorImpl&) = delete;

    /// -> `Rilk::Condition::OperatorType`
    antlrcpp::Any visitBool_operator(RilkTopParser::Bool_operatorContext* ctx) override;
    /// -> `Rilk::Condition` without body
    antlrcpp::Any visitCondition(RilkTopParser::ConditionContext* ctx) override;
    /// -> `UnitContextData*`, owned by the caller
    antlrcpp::Any visitContext(RilkTopParser::ContextContext* ctx) override;
    /// -> `Rilk::Identifier`
    antlrcpp::Any visitIdentifier(RilkTopParser::IdentifierContext* ctx) override;
    /// -> `Rilk::Identifier::Segment`
    antlrcpp::Any visitSegment(RilkTopParser::SegmentContext* ctx) override;
    /// -> `Rilk::IndexExpr`; a regular-expression index is refused (the identifier model
    /// has no form for it).
    antlrcpp::Any visitIndexExpr(RilkTopParser::IndexExprContext* ctx) override;
    /// -> `Rilk::RilkValuePtr`, empty where the file kind gives a block no value
    antlrcpp::Any visitValueNode(RilkTopParser::ValueNodeContext* ctx) override;
    /// -> `std::shared_ptr<Rilk::RilkList>`
    antlrcpp::Any visitList(RilkTopParser::ListContext* ctx) override;
    /// -> `Rilk::Assignment`
    antlrcpp::Any visitAssignment(RilkTopParser::AssignmentContext* ctx) override;
    /// -> `Rilk::Assignment::AssignType`
    antlrcpp::Any visitAssign_operator(RilkTopParser::Assign_operatorContext* ctx) override;

    // Units, targets and dependencies (visit_units.cpp, visit_dependencies.cpp).
    /// -> `Rilk::Unit*`, owned by the caller
    antlrcpp::Any visitRilkUnit(RilkTopParser::RilkUnitContext* ctx) override;
    /// -> `Rilk::Target*`, owned by the caller
    antlrcpp::Any visitTarget(RilkTopParser::TargetContext* ctx) override;
    /// -> `Rilk::Dependency`
    antlrcpp::Any visitDependency(RilkTopParser::DependencyContext* ctx) override;
    /// -> `Rilk::Dependency` with only its direct target set
    antlrcpp::Any visitDirect_dependency(RilkTopParser::Direct_dependencyContext* ctx) override;
    /// -> `Rilk::Dependency` with only its dynamic target set
    antlrcpp::Any visitDependency_macro(RilkTopParser::Dependency_macroContext* ctx) override;

    // The registry file and tool definitions (visit_registry.cpp).
    /// -> `ParsedRegistry`, with the written text of each tool block that holds a block as
    /// a value
    antlrcpp::Any visitRilkRegistry(RilkTopParser::RilkRegistryContext* ctx) override;
    /// -> `std::vector<RilkRegProject>`
    antlrcpp::Any visitProjects(RilkTopParser::ProjectsContext* ctx) override;
    /// -> `RilkRegProject`, its relative path joined to `baseDirectory`
    antlrcpp::Any visitProject(RilkTopParser::ProjectContext* ctx) override;
    /// -> `std::vector<Rilk::BuildToolDefinition>`
    antlrcpp::Any visitBuild_tools(RilkTopParser::Build_toolsContext* ctx) override;
    /// -> `Rilk::BuildToolDefinition`; "!" is accepted inside the tool's block
    antlrcpp::Any visitBuild_tool(RilkTopParser::Build_toolContext* ctx) override;

    // The project file (visit_project.cpp).
    /// -> `Rilk::ProjectData`
    antlrcpp::Any visitRilkProject(RilkTopParser::RilkProjectContext* ctx) override;
    /// -> `std::vector<Rilk::ProjectImport>`
    antlrcpp::Any visitProj_import_section(RilkTopParser::Proj_import_sectionContext* ctx) override;
    /// -> `Rilk::ProjectImport`
    antlrcpp::Any visitProj_import(RilkTopParser::Proj_importContext* ctx) override;
    /// -> `Rilk::ProjectImport` of kind `Path`
    antlrcpp::Any visitProj_path_import(RilkTopParser::Proj_path_importContext* ctx) override;
    /// -> `Rilk::ProjectImport` of kind `Registry`
    antlrcpp::Any visitProj_registry_import(
        RilkTopParser::Proj_registry_importContext* ctx) override;
    /// -> `Rilk::Profile`
    antlrcpp::Any visitProfile(RilkTopParser::ProfileContext* ctx) override;

    /// The directory of the visited file; relative path literals are taken relative to it.
    std::filesystem::path baseDirectory;
    /// Namespace given to the qualified name of every target built (empty for every caller).
    std::string targetNamespace;
    /// Unit given to the qualified name of every target built; set by the unit declaration.
    std::string unitName;
    FileKind fileKind;
    /// While true, "!" is accepted in any file kind (set while a tool definition is visited).
    bool allowMustModifier = false;
    /// Names the visited text in error messages, with line and column; may stay empty.
    std::filesystem::path sourcePath;

protected:
    /// Counts one level of nesting for its scope and fails past `maxNesting`.
    class NestingScope {
    public:
        NestingScope(RilkVisitorImpl& visitor, antlr4::ParserRuleContext* node);
        ~NestingScope() { --visitor_.nesting_; }
        NestingScope(const NestingScope&) = delete;
        NestingScope& operator=(const NestingScope&) = delete;

    private:
        RilkVisitorImpl& visitor_;
    };

    /// `std::runtime_error` with `text`, placed at the start of `node`.
    [[noreturn]] void fail(antlr4::ParserRuleContext* node, const std::string& text) const;
    /// `std::out_of_range` with `text`, placed at the start of `node` (a number literal that
    /// its type cannot hold).
    [[noreturn]] void failOutOfRange(antlr4::ParserRuleContext* node,
                                     const std::string& text) const;
    /// "<source>(<line>,<column>): " for the start of `node`, in the listeners' form.
    std::string position(antlr4::ParserRuleContext* node) const;

private:
    /// The signed 32-bit number a NUMBER token of a value holds.
    std::int32_t intValue(antlr4::ParserRuleContext* node, const std::string& text) const;
    Rilk::RilkValuePtr pathValue(const std::string& text) const;
    Rilk::RilkValuePtr contextValue(RilkTopParser::ContextContext* ctx);
    /// The template of a visited context block: its assignments and conditional blocks.
    std::shared_ptr<Rilk::ContextTemplate> blockTemplate(RilkTopParser::ContextContext* ctx);
    Rilk::Assignment::AssignType assignType(RilkTopParser::AssignmentContext* ctx);
    Rilk::AssignModifier assignModifier(RilkTopParser::AssignmentContext* ctx);

    std::size_t nesting_ = 0;
    /// The blocks read as values that got no value (file kinds other than `Unit`).
    std::size_t valuelessBlocks_ = 0;
};

/// Moves the result of a visit operation out of its `antlrcpp::Any`. A result of another
/// type fails with `std::bad_cast`.
template <typename T>
T takeResult(antlrcpp::Any&& result) {
    return std::move(result.as<T>());
}
