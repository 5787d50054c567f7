#include "app/load/unit_file_parser.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <fmt/format.h>

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

/// The error of a unit file that cannot be read, naming the file and why.
RilkException unreadable(const fs::path& file, const std::string& reason) {
    return RilkException(fmt::format("Unable to open file! The unit file '{}' cannot be read: {}.",
                                     file.string(), reason));
}

/// The whole text of an existing unit file. A directory opens on Linux but reads as
/// nothing, which would load as an empty unit, so it counts as unreadable as well.
std::string readUnitText(const fs::path& file) {
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    const int openError = errno;
    log(LogLevel::Trace, "Parsing {}\n", file.string());
    if (fs::is_directory(file)) throw unreadable(file, "it is a directory");
    if (!in) throw unreadable(file, std::strerror(openError != 0 ? openError : EIO));
    std::string text = readAll(in);
    if (in.bad()) throw unreadable(file, std::strerror(errno != 0 ? errno : EIO));
    return text;
}

/// `read` of a file's unit, with a second target of one name told with the file.
template <class Read>
UnitPtr withDuplicatesNamed(const fs::path& file, Read read) {
    try {
        return read();
    } catch (const DuplicateTarget& duplicate) {
        throw RilkException(fmt::format("{}: the unit file '{}' defines target '{}' twice.",
                                        duplicate.what(), file.string(), duplicate.name));
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

UnitPtr parseUnitFile(const fs::path& projectRoot, fs::path path) {
    const fs::path file = path.has_root_directory() ? path : projectRoot / path;
    if (fs::status(file).type() == fs::file_type::not_found) {
        throw RilkException("File not found at " + file.string());
    }
    const std::string text = readUnitText(file);
    // A valid file is read without the generated parser; anything the fast reader declines
    // (every error included) takes the grammar's road, which reports it.
    if (UnitPtr unit = withDuplicatesNamed(file, [&] { return readFast(text, file); })) {
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
    UnitPtr unit =
        withDuplicatesNamed(file, [&] { return visitUnitTree(tree, baseDirectory(file), file); });
    log(LogLevel::Verbose, "Parsed unit '{}' at '{}'\n", unit->name, file.string());
    return unit;
}

}  // namespace Rilk
