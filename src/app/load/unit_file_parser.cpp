#include "app/load/unit_file_parser.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "parser/fast_unit_reader.h"
#include "parser/parse_chain.h"
#include "parser/rilk_error_counter.h"
#include "parser/rilk_visitor_impl.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace Rilk {
namespace {

/// Everything left in `in`. A stream that knows its size is read in one piece; whatever
/// the size does not cover (a file that grew meanwhile, a stream without a size) is read
/// on to its end character by character.
std::string readAll(std::ifstream& in) {
    std::string text;
    const std::streampos start = in.tellg();
    if (start != std::streampos(-1) && in.seekg(0, std::ios::end)) {
        const std::streampos end = in.tellg();
        in.seekg(start);
        if (end != std::streampos(-1) && end > start && in) {
            const std::streamoff size = end - start;
            text.resize(static_cast<std::size_t>(size));
            in.read(text.data(), size);
            text.resize(static_cast<std::size_t>(in.gcount()));
        }
    }
    in.clear(in.rdstate() & std::ios::badbit);
    text.append(std::istreambuf_iterator<char>(in), {});
    return text;
}

/// The whole text of an existing unit file. A directory opens on Linux but reads as
/// nothing, which would load as an empty unit, so it counts as unreadable as well.
std::string readUnitText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    log(LogLevel::Trace, "Parsing {}\n", file.string());
    if (!in || fs::is_directory(file)) throw RilkException("Unable to open file!");
    std::string text = readAll(in);
    if (in.bad()) throw RilkException("Unable to open file!");
    return text;
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

UnitPtr parseUnitFile(const fs::path& projectRoot, fs::path path) {
    const fs::path file = path.has_root_directory() ? path : projectRoot / path;
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
