// The registry file: registered projects and tool definitions. Tool definitions are
// shared with the project file's `tools` block.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "parser/literal_text.h"
#include "parser/rilk_visitor_impl.h"
#include "types/build_tool_definition.h"
#include "types/context_template.h"
#include "types/parsed_registry.h"

namespace {

/// Restores a flag when the scope ends, also when it ends by an exception.
class FlagRestorer {
public:
    FlagRestorer(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
    ~FlagRestorer() { flag_ = saved_; }
    FlagRestorer(const FlagRestorer&) = delete;
    FlagRestorer& operator=(const FlagRestorer&) = delete;

private:
    bool& flag_;
    bool saved_;
};

/// The text of `node` as it stands in the parsed text.
std::string writtenText(antlr4::ParserRuleContext* node) {
    return node->getStart()->getInputStream()->getText(
        antlr4::misc::Interval(node->getStart()->getStartIndex(), node->getStop()->getStopIndex()));
}

}  // namespace

antlrcpp::Any RilkVisitorImpl::visitRilkRegistry(RilkTopParser::RilkRegistryContext* ctx) {
    ParsedRegistry data;
    if (ctx->projects() != nullptr) {
        data.projects = takeResult<std::vector<RilkRegProject>>(visitProjects(ctx->projects()));
        for (auto* node : ctx->projects()->project()) {
            data.projectLines.push_back(node->getStart()->getLine());
        }
    }
    if (ctx->build_tools() != nullptr) {
        const auto nodes = ctx->build_tools()->build_tool();
        data.tools.reserve(nodes.size());
        data.writtenBlocks.reserve(nodes.size());
        data.toolLines.reserve(nodes.size());
        for (auto* node : nodes) {
            data.toolLines.push_back(node->getStart()->getLine());
            const std::size_t valuelessBefore = valuelessBlocks_;
            data.tools.push_back(takeResult<Rilk::BuildToolDefinition>(visitBuild_tool(node)));
            // The template lacks what such a block held: its text keeps it.
            data.writtenBlocks.push_back(
                valuelessBlocks_ == valuelessBefore ? std::string() : writtenText(node->context()));
        }
    }
    return data;
}

antlrcpp::Any RilkVisitorImpl::visitProjects(RilkTopParser::ProjectsContext* ctx) {
    const auto nodes = ctx->project();
    std::vector<RilkRegProject> projects;
    projects.reserve(nodes.size());
    for (auto* node : nodes) projects.push_back(takeResult<RilkRegProject>(visitProject(node)));
    return projects;
}

antlrcpp::Any RilkVisitorImpl::visitProject(RilkTopParser::ProjectContext* ctx) {
    if (ctx->IDENTIFIER() == nullptr || ctx->uri() == nullptr) {
        fail(ctx, "the registered project is incomplete");
    }
    std::filesystem::path path = Rilk::unquotedLiteral(ctx->uri()->getText());
    // A relative entry is taken against the registry file's own directory, whatever the
    // working directory of the run that reads it.
    if (!path.has_root_directory()) path = baseDirectory / path;
    return RilkRegProject{ctx->IDENTIFIER()->getText(), std::move(path)};
}

antlrcpp::Any RilkVisitorImpl::visitBuild_tools(RilkTopParser::Build_toolsContext* ctx) {
    const auto nodes = ctx->build_tool();
    std::vector<Rilk::BuildToolDefinition> tools;
    tools.reserve(nodes.size());
    for (auto* node : nodes) {
        tools.push_back(takeResult<Rilk::BuildToolDefinition>(visitBuild_tool(node)));
    }
    return tools;
}

antlrcpp::Any RilkVisitorImpl::visitBuild_tool(RilkTopParser::Build_toolContext* ctx) {
    if (ctx->IDENTIFIER() == nullptr || ctx->context() == nullptr) {
        fail(ctx, "the tool definition is incomplete");
    }
    // "!" marks the variables a tool requires, so it is legal in every tool's block.
    FlagRestorer must(allowMustModifier, true);
    return Rilk::BuildToolDefinition{ctx->IDENTIFIER()->getText(), blockTemplate(ctx->context())};
}
