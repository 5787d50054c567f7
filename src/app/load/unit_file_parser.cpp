#include "app/load/unit_file_parser.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "parser/capped_error_printer.h"
#include "parser/closing_inside_literal.h"
#include "parser/failed_target_parse.h"
#include "parser/failed_target_piece.h"
#include "parser/fast_unit_reader.h"
#include "parser/literal_closed_before_error.h"
#include "parser/parse_chain.h"
#include "parser/rilk_error_counter.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/utf8_text.h"
#include "types/rilk_errors.h"
#include "util/bounded_file_read.h"
#include "util/freed_memory.h"
#include "util/logger.h"

namespace fs = std::filesystem;

namespace Rilk {
namespace {

/// The error of a unit file that cannot be read, naming the file and why.
RilkException unreadable(const fs::path& file, const std::string& reason) {
    return RilkException(fmt::format("Unable to open file! The unit file '{}' cannot be read: {}.",
                                     file.string(), reason));
}

/// The whole text of an existing unit file. A file the system will not open and a
/// directory (which would load as an empty unit) cannot be read; anything else that is no
/// regular file within the limit is refused as well. Each error names the file and why.
std::string readUnitText(const fs::path& file) {
    log(LogLevel::Trace, "Parsing {}\n", file.string());
    try {
        return Util::readWholeFile(file);
    } catch (const Util::FileReadError& error) {
        if (error.failure() == Util::FileReadFailure::CannotOpen ||
            error.failure() == Util::FileReadFailure::Directory) {
            throw unreadable(file, error.reason());
        }
        throw RilkException(error.what());
    }
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
UnitPtr readFast(const std::string& text, const fs::path& file, FastDecline& decline) {
    fs::path directory;
    try {
        directory = baseDirectory(file);
    } catch (const fs::filesystem_error&) {
        decline.syntaxFine = true;  // unknown: the whole file goes to the grammar
        return nullptr;
    }
    return readUnitFast(text, directory, decline);
}

/// The errors a parse of a failed target's piece reports, as the grammar's console listener
/// prints them, but for those where the piece was cut off (see `reportFailedTarget`); of the
/// parser's own, the first `CappedErrorPrinter::kShownErrors` (the lexer caps its own).
class CollectedErrors : public antlr4::BaseErrorListener {
public:
    explicit CollectedErrors(const FailedTargetPiece& piece) : piece_(piece) {}

    void syntaxError(antlr4::Recognizer* recognizer, antlr4::Token* offendingSymbol, size_t line,
                     size_t charPositionInLine, const std::string& msg,
                     std::exception_ptr) override {
        const bool atEnd =
            offendingSymbol != nullptr && offendingSymbol->getType() == antlr4::Token::EOF;
        if (piece_.cut && (atEnd || line > piece_.lastLine ||
                           (line == piece_.lastLine && charPositionInLine >= piece_.lastColumn))) {
            return;
        }
        const bool lexical = dynamic_cast<antlr4::Lexer*>(recognizer) != nullptr;
        if (!lexical && syntaxErrors_++ >= CappedErrorPrinter::kShownErrors) return;
        lines += fmt::format("line {}:{} {}\n", line, charPositionInLine, msg);
        places.add({line, charPositionInLine});
    }

    /// The parser's errors that were only counted.
    std::size_t unshownSyntaxErrors() const {
        const std::size_t shown = CappedErrorPrinter::kShownErrors;
        return syntaxErrors_ > shown ? syntaxErrors_ - shown : 0;
    }

    /// The errors shown, one line each, and where they are.
    std::string lines;
    ErrorPlaces places;

private:
    const FailedTargetPiece& piece_;
    std::size_t syntaxErrors_ = 0;
};

/// Reports the syntax errors of the target the fast reader stopped at, parsed by the
/// grammar on its own (see `failedTargetPiece`, `parseFailedTarget`), as the grammar's
/// console listener prints them, and throws the load's failure. Errors where the piece was
/// cut off are left out, as are those of the targets after it. Returns when that piece
/// cannot stand for the whole file: it parses without an error (the fault lies in what the
/// text says, not in how it is written), its only errors are where it was cut off, or the
/// text is not UTF-8.
void reportFailedTarget(const std::string& text, const fs::path& file,
                        const FastDecline& decline) {
    if (decline.notUtf8 || decline.syntaxFine) return;
    Util::releaseFreedMemory();
    const FailedTargetPiece piece = failedTargetPiece(text, decline);
    CollectedErrors collected(piece);
    const std::size_t unshown = parseFailedTarget(piece.text, file, collected);
    if (collected.lines.empty()) return;
    std::cerr << collected.lines << unshownErrorsLine(unshown)
              << unshownSyntaxErrorsLine(collected.unshownSyntaxErrors()) << std::flush;
    warnLiteralsClosedBeforeErrors(text, collected.places.places, file);
    throw RilkException(file.string() + " Parsing failed due to syntax errors.");
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
    FastDecline decline;
    if (UnitPtr unit = withDuplicatesNamed(file, [&] { return readFast(text, file, decline); })) {
        warnClosingInsideLiterals(text, file);
        log(LogLevel::Verbose, "Parsed unit '{}' at '{}'\n", unit->name, file.string());
        return unit;
    }

    // Only the target that failed goes through the grammar where that shows the error;
    // the whole file costs the grammar about a hundred times its size.
    reportFailedTarget(text, file, decline);
    if (decline.notUtf8) throw RilkException(notUtf8Message(text, file));

    ParseChain chain(text, file);
    // The lexer's console listener stays and prints its errors (it caps them itself); the
    // counter on it makes a character that starts no token fail the load like a syntax
    // error. The parser's errors are printed up to a cap.
    RilkErrorCounter lexicalErrors("unit file", true);
    chain.lexer().addErrorListener(&lexicalErrors);
    CappedErrorPrinter syntaxErrors;
    chain.parser().removeErrorListeners();
    chain.parser().addErrorListener(&syntaxErrors);
    ErrorPlaces places;
    chain.lexer().addErrorListener(&places);
    chain.parser().addErrorListener(&places);
    auto* tree = chain.unitFile();
    std::cerr << unshownErrorsLine(chain.unshownLexicalErrors())
              << unshownSyntaxErrorsLine(syntaxErrors.unshownErrors()) << std::flush;
    if (chain.parser().getNumberOfSyntaxErrors() != 0 || lexicalErrors.errorCount() != 0) {
        warnLiteralsClosedBeforeErrors(text, places.places, file);
        throw RilkException(file.string() + " Parsing failed due to syntax errors.");
    }
    UnitPtr unit =
        withDuplicatesNamed(file, [&] { return visitUnitTree(tree, baseDirectory(file), file); });
    log(LogLevel::Verbose, "Parsed unit '{}' at '{}'\n", unit->name, file.string());
    return unit;
}

}  // namespace Rilk
