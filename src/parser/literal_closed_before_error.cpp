#include "parser/literal_closed_before_error.h"

#include <algorithm>
#include <iterator>

#include <fmt/format.h>

#include "parser/fast_lexer.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// How often the reading starts again after a character that starts no token; a text
/// with more of them before its errors is not read further.
constexpr std::size_t kMaxRestarts = ErrorPlaces::kKept;

/// Whether `byte` starts a character of UTF-8 text (it is no continuation byte).
bool startsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

bool comesBefore(const ErrorPlace& a, const ErrorPlace& b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

/// Walks a text forward and tells the line and column of the offsets asked for, which
/// must not go back.
class PlaceCursor {
public:
    explicit PlaceCursor(std::string_view text) : text_(text) {}

    ErrorPlace at(std::size_t offset) {
        for (; at_ < offset && at_ < text_.size(); ++at_) {
            if (text_[at_] == '\n') {
                ++place_.line;
                place_.column = 0;
            } else if (startsCharacter(text_[at_])) {
                ++place_.column;
            }
        }
        return place_;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    ErrorPlace place_;
};

/// The raw and path strings of `text` that end on or before `lastLine`, in text order.
std::vector<LiteralBeforeError> literalsUpTo(std::string_view text, std::size_t lastLine) {
    std::vector<LiteralBeforeError> literals;
    PlaceCursor cursor(text);
    std::size_t base = 0;
    for (std::size_t restarts = 0; restarts <= kMaxRestarts && base < text.size(); ++restarts) {
        const std::string_view rest = text.substr(base);
        FastLexer lexer(rest);
        for (FastToken token = lexer.next();
             token.kind != FastToken::Kind::End && token.kind != FastToken::Kind::Invalid;
             token = lexer.next()) {
            const std::size_t offset =
                base + static_cast<std::size_t>(token.text.data() - rest.data());
            const ErrorPlace start = cursor.at(offset);
            if (start.line > lastLine) return literals;
            const bool raw = token.kind == FastToken::Kind::RawString;
            if (!raw && token.kind != FastToken::Kind::PathString) continue;
            literals.push_back({start, cursor.at(offset + token.text.size() - 2), !raw});
        }
        if (lexer.offset() >= rest.size() || lexer.stoppedUnclosed() || lexer.refusedWhole()) {
            break;
        }
        // A character that starts no token: the lexer reports it and reads on after it.
        std::size_t next = base + lexer.offset() + 1;
        while (next < text.size() && !startsCharacter(text[next])) ++next;
        base = next;
    }
    return literals;
}

}  // namespace

std::vector<LiteralBeforeError> literalsClosedBeforeErrors(std::string_view text,
                                                           const std::vector<ErrorPlace>& errors) {
    if (errors.empty() || text.find(")\"") == std::string_view::npos) return {};
    std::size_t lastLine = 0;
    for (const ErrorPlace& error : errors) lastLine = std::max(lastLine, error.line);
    const std::vector<LiteralBeforeError> literals = literalsUpTo(text, lastLine);
    std::vector<char> chosen(literals.size(), 0);
    for (const ErrorPlace& error : errors) {
        // The last literal whose closing `)"` lies wholly before the error.
        const auto after = std::partition_point(
            literals.begin(), literals.end(), [&](const LiteralBeforeError& literal) {
                return !comesBefore(error, {literal.closing.line, literal.closing.column + 2});
            });
        if (after == literals.begin()) continue;
        const auto last = std::prev(after);
        if (last->closing.line == error.line) {
            chosen[static_cast<std::size_t>(last - literals.begin())] = 1;
        }
    }
    std::vector<LiteralBeforeError> found;
    for (std::size_t i = 0; i < literals.size(); ++i) {
        if (chosen[i]) found.push_back(literals[i]);
    }
    return found;
}

std::string literalClosedBeforeErrorWarning(const std::filesystem::path& file,
                                            const LiteralBeforeError& literal) {
    const char* kind = literal.path ? "path string" : "raw string";
    return fmt::format(
        "{}({},{}): a syntax error follows this {} on the line where it ends, at the ')\"' in "
        "column {}: a raw or path string ends at the first ')\"' in it, so one inside its text "
        "(as in \"$(cmd)\") ends it early. If it was meant to go on, write its text without "
        "')\"' there (v=$(cmd) needs no quotes; or `cmd` in backquotes).",
        file.string(), literal.start.line, literal.start.column, kind, literal.closing.column);
}

void warnLiteralsClosedBeforeErrors(std::string_view text, const std::vector<ErrorPlace>& errors,
                                    const std::filesystem::path& file) {
    for (const LiteralBeforeError& literal : literalsClosedBeforeErrors(text, errors)) {
        log(LogLevel::Warning, "{}\n", literalClosedBeforeErrorWarning(file, literal));
    }
}

}  // namespace Rilk
