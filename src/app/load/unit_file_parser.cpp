#include "app/load/unit_file_parser.h"

#include <memory>
#include <string>

#include "app/driver/rilk_app.h"
#include "parser/fast_unit_reader.h"
#include "parser/parse_chain.h"
#include "parser/rilk_error_counter.h"
#include "parser/rilk_visitor_impl.h"
#include "types/rilk_errors.h"
#include "util/bounded_file_read.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace Rilk {
namespace {

/// The whole text of an existing unit file. A file the system will not open, or a
/// directory (which would load as an empty unit), is unreadable; anything else that is no
/// regular file within the limit is refused with its reason.
std::string readUnitText(const fs::path& file) {
    log(LogLevel::Trace, "Parsing {}\n", file.string());
    try {
        return Util::readWholeFile(file);
    } catch (const Util::FileReadError& error) {
        if (error.failure() == Util::FileReadFailure::CannotOpen ||
            error.failure() == Util::FileReadFailure::Directory) {
            throw RilkException("Unable to open file!");
        }
        throw RilkException(error.what());
    }
}

fs::path baseDirectory(const fs::path& file) {
    const fs::path parent = file.parent_path();
    return fs::weakly_canonical(parent.empty() ? fs::path(".") : parent);
}

/// The unit of `text` read by the fast reader, or null where it declines. A base directory
/// that cannot be found leaves the file to the grammar, so its errors keep their order.
UnitPtr readFast(const std::string& text, const fs::path& file) {
    fs::path directory;
    try {
        directory = baseDirectory(file);
    } catch (const fs::filesystem_error&) {
        return nullptr;
    }
    return readUnitFast(text, directory);
}

}  // namespace

UnitPtr visitUnitTree(RilkTopParser::UnitFileContext* tree, const fs::path& directory,
                      const fs::path& source) {
    if (tree == nullptr || tree->rilkUnit() == nullptr) {
        throw RilkException("Unable to parse unit file.");
    }
    RilkVisitorImpl visitor(directory, "", RilkVisitorImpl::Unit);
    visitor.sourcePath = source;
    return UnitPtr(takeResult<Unit*>(visitor.visitRilkUnit(tree->rilkUnit())));
}

UnitPtr parseUnitFile(const RilkApplication& app, fs::path path) {
    const fs::path file = path.has_root_directory() ? path : app.projectRoot / path;
    if (fs::status(file).type() == fs::file_type::not_found) {
        throw RilkException("File not found at " + file.string());
    }
    const std::string text = readUnitText(file);
    // A valid file is read without the generated parser; anything the fast reader declines
    // (every error included) takes the grammar's road, which reports it.
    if (UnitPtr unit = readFast(text, file)) {
        log(LogLevel::Verbose, "Parsed unit '{}' at '{}'\n", unit->name, file.string());
        return unit;
    }

    ParseChain chain(text, file);
    // The runtime's console listeners stay and print every error; the counter on the
    // lexer makes a character that starts no token fail the load like a syntax error.
    RilkErrorCounter lexicalErrors("unit file", true);
    chain.lexer().addErrorListener(&lexicalErrors);
    auto* tree = chain.unitFile();
    if (chain.parser().getNumberOfSyntaxErrors() != 0 || lexicalErrors.errorCount() != 0) {
        throw RilkException(file.string() + " Parsing failed due to syntax errors.");
    }
    UnitPtr unit = visitUnitTree(tree, baseDirectory(file), file);
    log(LogLevel::Verbose, "Parsed unit '{}' at '{}'\n", unit->name, file.string());
    return unit;
}

}  // namespace Rilk
