// Dependencies of a target: direct and dynamic ("@") targets, the "+" modifier, parameters
// with the source marker ".", and the "=>" and "+>" aliases.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "parser/rilk_visitor_impl.h"
#include "types/dependency.h"
#include "types/rilk_errors.h"

namespace {

/// Records the source marker "." found at position `index` of the parameter list. The
/// marker hands each expanded entry's own value to its target, so it only means something
/// first in the list of a dynamic dependency.
void markSourceParameter(Rilk::Dependency& dependency, std::size_t index) {
    if (!dependency.isDynamic()) {
        throw Rilk::RilkException(
            "The source parameter marker '.' can only be used with a dynamic dependency.");
    }
    if (index != 0) {
        throw Rilk::RilkException(
            "The source parameter marker '.' must be the first dependency parameter.");
    }
    std::get<Rilk::DynamicDependency>(dependency.target).sourceParameter = true;
}

}  // namespace

antlrcpp::Any RilkVisitorImpl::visitDependency(RilkTopParser::DependencyContext* ctx) {
    auto* reference = ctx->dependency_identifier();
    Rilk::Dependency dependency;
    if (reference != nullptr && reference->direct_dependency() != nullptr) {
        dependency =
            takeResult<Rilk::Dependency>(visitDirect_dependency(reference->direct_dependency()));
    } else if (reference != nullptr && reference->dependency_macro() != nullptr) {
        dependency =
            takeResult<Rilk::Dependency>(visitDependency_macro(reference->dependency_macro()));
    } else {
        fail(ctx, "the dependency names no target");
    }
    const std::vector<RilkTopParser::Dependency_parameterContext*> parameters =
        ctx->dependency_parameter();
    // Checked one by one in text order: a misplaced marker fails only when it is reached.
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i]->DOT() != nullptr) {
            markSourceParameter(dependency, i);
        } else if (parameters[i]->identifier() != nullptr) {
            dependency.parameters.push_back(
                takeResult<Rilk::Identifier>(visitIdentifier(parameters[i]->identifier())));
        } else {
            fail(parameters[i], "the dependency parameter is missing");
        }
    }
    if (auto* modifier = ctx->dependency_modifier(); modifier != nullptr && modifier->PLUS()) {
        dependency.modifier = Rilk::Dependency::kPlus;
    }
    if (auto* alias = ctx->dependency_alias(); alias != nullptr) {
        dependency.aliasKind =
            alias->ALIAS() != nullptr ? Rilk::Dependency::kAlias : Rilk::Dependency::kMergeAlias;
        if (ctx->IDENTIFIER() == nullptr) fail(alias, "the alias name is missing");
        dependency.alias = ctx->IDENTIFIER()->getText();
    }
    return dependency;
}

antlrcpp::Any RilkVisitorImpl::visitDirect_dependency(
    RilkTopParser::Direct_dependencyContext* ctx) {
    std::vector<std::string> names;
    for (auto* token : ctx->IDENTIFIER()) names.push_back(token->getText());
    Rilk::QualifiedTargetName name;
    const std::size_t n = names.size();
    if (n == 0) fail(ctx, "the dependency names no target");
    name.target = names[n - 1];
    if (n >= 2) name.unit = names[n - 2];
    if (n >= 3) name.ns = names[n - 3];
    Rilk::Dependency dependency;
    dependency.target = std::move(name);
    return dependency;
}

antlrcpp::Any RilkVisitorImpl::visitDependency_macro(RilkTopParser::Dependency_macroContext* ctx) {
    if (ctx->identifier() == nullptr) fail(ctx, "the dynamic dependency names no variable");
    Rilk::DynamicDependency macro;
    macro.identifier = takeResult<Rilk::Identifier>(visitIdentifier(ctx->identifier()));
    Rilk::Dependency dependency;
    dependency.target = std::move(macro);
    return dependency;
}
