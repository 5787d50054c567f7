// The project file: name, imports, tools, units and profiles.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "parser/literal_text.h"
#include "parser/rilk_visitor_impl.h"
#include "types/context_template.h"
#include "types/profile.h"
#include "types/project_data.h"
#include "types/project_import.h"

namespace {

/// The profiles written around an import: "source:" before it, "(import)" after it.
template <typename ImportNode>
void readImportProfiles(ImportNode* ctx, Rilk::ProjectImport& entry) {
    if (auto* source = ctx->proj_source_profile(); source && source->IDENTIFIER()) {
        entry.sourceProfile = source->IDENTIFIER()->getText();
    }
    if (auto* imported = ctx->proj_import_profile(); imported && imported->IDENTIFIER()) {
        entry.importProfile = imported->IDENTIFIER()->getText();
    }
}

/// The files listed for one unit, without their double quotes.
std::vector<std::filesystem::path> unitFiles(RilkTopParser::UnitContext* unit) {
    std::vector<std::filesystem::path> files;
    for (auto* file : unit->STRING()) files.emplace_back(Rilk::unquotedLiteral(file->getText()));
    return files;
}

}  // namespace

antlrcpp::Any RilkVisitorImpl::visitRilkProject(RilkTopParser::RilkProjectContext* ctx) {
    Rilk::ProjectData data;
    if (auto* name = ctx->proj_name(); name != nullptr && name->IDENTIFIER() != nullptr) {
        data.name = name->IDENTIFIER()->getText();
    }
    if (ctx->proj_import_section() != nullptr) {
        data.imports = takeResult<std::vector<Rilk::ProjectImport>>(
            visitProj_import_section(ctx->proj_import_section()));
    }
    if (ctx->build_tools() != nullptr) {
        data.tools = takeResult<std::vector<Rilk::BuildToolDefinition>>(
            visitBuild_tools(ctx->build_tools()));
    }
    if (ctx->units() != nullptr) {
        for (auto* unit : ctx->units()->unit()) {
            if (unit->IDENTIFIER() == nullptr) fail(unit, "the unit name is missing");
            data.addUnitFiles(unit->IDENTIFIER()->getText(), unitFiles(unit));
        }
    }
    if (ctx->profiles() != nullptr) {
        for (auto* profile : ctx->profiles()->profile()) {
            data.profiles.push_back(takeResult<Rilk::Profile>(visitProfile(profile)));
        }
    }
    return data;
}

antlrcpp::Any RilkVisitorImpl::visitProj_import_section(
    RilkTopParser::Proj_import_sectionContext* ctx) {
    std::vector<Rilk::ProjectImport> imports;
    for (auto* node : ctx->proj_import()) {
        imports.push_back(takeResult<Rilk::ProjectImport>(visitProj_import(node)));
    }
    return imports;
}

antlrcpp::Any RilkVisitorImpl::visitProj_import(RilkTopParser::Proj_importContext* ctx) {
    if (ctx->proj_path_import() != nullptr) return visitProj_path_import(ctx->proj_path_import());
    if (ctx->proj_registry_import() == nullptr) fail(ctx, "the import is incomplete");
    return visitProj_registry_import(ctx->proj_registry_import());
}

antlrcpp::Any RilkVisitorImpl::visitProj_path_import(RilkTopParser::Proj_path_importContext* ctx) {
    if (ctx->STRING() == nullptr) fail(ctx, "the imported path is missing");
    Rilk::ProjectImport entry;
    entry.kind = Rilk::ProjectImport::Kind::Path;
    entry.path = Rilk::unquotedLiteral(ctx->STRING()->getText());
    if (ctx->IDENTIFIER() != nullptr) entry.alias = ctx->IDENTIFIER()->getText();
    readImportProfiles(ctx, entry);
    return entry;
}

antlrcpp::Any RilkVisitorImpl::visitProj_registry_import(
    RilkTopParser::Proj_registry_importContext* ctx) {
    if (ctx->IDENTIFIER() == nullptr) fail(ctx, "the imported project's name is missing");
    Rilk::ProjectImport entry;
    entry.kind = Rilk::ProjectImport::Kind::Registry;
    entry.name = ctx->IDENTIFIER()->getText();
    readImportProfiles(ctx, entry);
    return entry;
}

antlrcpp::Any RilkVisitorImpl::visitProfile(RilkTopParser::ProfileContext* ctx) {
    if (ctx->IDENTIFIER() == nullptr || ctx->context() == nullptr) {
        fail(ctx, "the profile is incomplete");
    }
    // Unlike a tool's block, a profile's block keeps the file's rule for "!".
    return Rilk::Profile{ctx->IDENTIFIER()->getText(), blockTemplate(ctx->context())};
}
