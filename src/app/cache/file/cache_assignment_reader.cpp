#include "app/cache/file/cache_assignment_reader.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "parser/cache_escaped_literal.h"
#include "parser/delimited_literal.h"
#include "parser/legacy_path_literals.h"
#include "parser/name_rules.h"
#include "parser/parse_assignment.h"
#include "parser/source_writer.h"
#include "parser/utf8_text.h"
#include "types/rilk_context_types.h"
#include "types/rilk_errors.h"
#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

/// An assignment whose name is copied once, straight from the text.
Assignment namedAssignment(std::string_view name, RilkValuePtr value, AssignType type,
                           AssignModifier modifier) {
    Assignment result(std::string(), nullptr, type, modifier);
    result.name.assign(name);
    result.value = std::move(value);
    return result;
}

/// A cursor over one assignment text; every `read` either consumes a whole token or leaves
/// the cursor where it was and fails.
class FastReader {
public:
    explicit FastReader(std::string_view text) : text_(text) {}

    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }
    bool atEnd() const { return pos_ == text_.size(); }
    bool peek(std::string_view prefix) const { return text_.substr(pos_, prefix.size()) == prefix; }
    bool take(std::string_view prefix) {
        if (!peek(prefix)) return false;
        pos_ += prefix.size();
        return true;
    }

    /// An assignable name (an identifier that is no keyword), viewed in the text.
    std::optional<std::string_view> name() {
        const std::size_t start = pos_;
        if (atEnd() || !isNameStart(text_[pos_])) return std::nullopt;
        std::size_t end = pos_ + 1;
        while (end < text_.size() && isNameChar(text_[end])) ++end;
        std::string_view found = text_.substr(start, end - start);
        if (!isPlainVariableName(found)) return std::nullopt;
        pos_ = end;
        return found;
    }

    /// "=", "+=" or "?=".
    std::optional<AssignType> assignOperator() {
        // "=>" and "+>" are tokens of their own.
        if (peek("=>") || peek("+>")) return std::nullopt;
        if (take("=")) return AssignType::Set;
        if (take("+=")) return AssignType::Append;
        if (take("?=")) return AssignType::SetIfUnset;
        return std::nullopt;
    }

    RilkValuePtr value(int depth) {
        if (depth > kMaxResolvedTextDepth || atEnd()) return nullptr;
        const char c = text_[pos_];
        if (c == '"') return quoted();
        if (peek("S%\"(")) return escaped<RilkString>();
        if (peek("R%\"(")) return escaped<RilkRawString>();
        if (peek("P%\"(")) return escaped<RilkPathString>();
        if (peek("R\"(")) return delimited<RilkRawString>();
        if (peek("P\"(")) return delimited<RilkPathString>();
        if (peek("P\"")) return legacyPath();
        if (c == '-' || (c >= '0' && c <= '9')) return number();
        if (c == '[') return list(depth);
        if (c == '{') return block(depth);
        return nullptr;
    }

private:
    RilkValuePtr quoted() {
        const std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string_view::npos) return nullptr;
        std::string content(text_.substr(pos_ + 1, close - pos_ - 1));
        pos_ = close + 1;
        return makeString(std::move(content));
    }

    template <typename Literal>
    RilkValuePtr delimited() {
        const std::size_t start = pos_ + 3;
        const std::size_t end = delimitedLiteralEnd(text_, start);
        if (end == std::string_view::npos) return nullptr;
        std::string content(text_.substr(start, end - 2 - start));
        pos_ = end;
        return makeLiteral<Literal>(std::move(content));
    }

    /// The cache's own literal of a text that has none in the language.
    template <typename Literal>
    RilkValuePtr escaped() {
        const std::size_t start = pos_ + 4;
        const std::size_t close = text_.find(')', start);
        if (close == std::string_view::npos || close + 1 >= text_.size() ||
            text_[close + 1] != '"') {
            return nullptr;
        }
        std::optional<std::string> content = readCacheEscaped(text_.substr(start, close - start));
        if (!content) return nullptr;
        pos_ = close + 2;
        return makeLiteral<Literal>(std::move(*content));
    }

    template <typename Literal>
    static RilkValuePtr makeLiteral(std::string content) {
        if constexpr (std::is_same_v<Literal, RilkPathString>) {
            return recordedPath(std::move(content));
        } else {
            return std::make_shared<Literal>(std::move(content));
        }
    }

    /// A path the cache recorded: resolved when it was stored, so taken literally.
    static RilkValuePtr recordedPath(std::string content) {
        auto path = makePathString(std::move(content), std::filesystem::path());
        path->markLiteral();
        return path;
    }

    RilkValuePtr legacyPath() {
        const std::size_t start = pos_ + 2;
        const std::size_t close = text_.find_first_of("\"\r\n", start);
        if (close == std::string_view::npos || text_[close] != '"') return nullptr;
        std::string content(text_.substr(start, close - start));
        if (!fitsDelimitedLiteral(content)) return nullptr;
        pos_ = close + 1;
        return recordedPath(std::move(content));
    }

    RilkValuePtr number() {
        std::size_t end = pos_ + (text_[pos_] == '-' ? 1 : 0);
        const std::size_t digits = end;
        while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
        if (end == digits || end - digits > 10) return nullptr;
        const std::string literal(text_.substr(pos_, end - pos_));
        errno = 0;
        const long long n = std::strtoll(literal.c_str(), nullptr, 10);
        if (errno == ERANGE || n < std::numeric_limits<std::int32_t>::min() ||
            n > std::numeric_limits<std::int32_t>::max()) {
            return nullptr;
        }
        pos_ = end;
        return std::make_shared<RilkInt>(static_cast<std::int32_t>(n));
    }

    RilkValuePtr list(int depth) {
        ++pos_;
        auto result = std::make_shared<RilkList>();
        skipBlanks();
        if (take("]")) return result;
        while (true) {
            RilkValuePtr element = value(depth + 1);
            if (!element) return nullptr;
            // As the grammar's visitor does: a list element's own elements are taken in.
            result->append(*element);
            skipBlanks();
            if (take("]")) return result;
            if (!take(",")) return nullptr;
            skipBlanks();
        }
    }

    RilkValuePtr block(int depth) {
        ++pos_;
        std::vector<Assignment> assignments;
        while (true) {
            skipBlanks();
            if (take("}")) break;
            AssignModifier modifier = AssignModifier::None;
            if (take("^")) {
                modifier = AssignModifier::Up;
                skipBlanks();
            }
            std::optional<std::string_view> variable = name();
            if (!variable) return nullptr;
            skipBlanks();
            std::optional<AssignType> type = assignOperator();
            if (!type) {
                assignments.push_back(
                    namedAssignment(*variable, nullptr, AssignType::Declare, modifier));
                continue;
            }
            skipBlanks();
            RilkValuePtr assigned = value(depth + 1);
            if (!assigned) return nullptr;
            assignments.push_back(namedAssignment(*variable, std::move(assigned), *type, modifier));
        }
        return std::make_shared<RilkContext>(
            std::make_shared<Context>(assignments, std::vector<Condition>{}));
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

const char* separatorOf(AssignType type) {
    switch (type) {
        case AssignType::Set:
            return "=";
        case AssignType::Append:
            return "+=";
        case AssignType::SetIfUnset:
            return "?=";
        case AssignType::Declare:
            return ":";
    }
    return nullptr;
}

/// A name followed by the record line's operator and nothing else: the name without value.
std::optional<Assignment> nameWithoutValue(std::string_view text, AssignType type,
                                           AssignModifier modifier) {
    const char* separator = separatorOf(type);
    if (separator == nullptr) return std::nullopt;
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view name = text.substr(0, at);
    while (!name.empty() && isBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    if (name.empty()) return std::nullopt;
    for (char c : text.substr(at + std::string_view(separator).size())) {
        if (!isBlank(c)) return std::nullopt;
    }
    return Assignment(std::string(name), nullptr, type, modifier);
}

}  // namespace

std::optional<Assignment> readCacheAssignmentFast(std::string_view text, AssignType type,
                                                  AssignModifier modifier) {
    if (!isUtf8(text)) return std::nullopt;
    FastReader reader(text);
    reader.skipBlanks();
    std::optional<std::string_view> name = reader.name();
    if (!name) return std::nullopt;
    reader.skipBlanks();
    if (reader.atEnd()) return namedAssignment(*name, nullptr, type, modifier);
    std::optional<AssignType> written = reader.assignOperator();
    if (!written) return std::nullopt;
    reader.skipBlanks();
    if (reader.atEnd()) {
        // The grammar refuses an operator without value; the record line's operator then
        // decides, and it must be the one written.
        if (*written != type) return std::nullopt;
        return namedAssignment(*name, nullptr, type, modifier);
    }
    RilkValuePtr value = reader.value(0);
    if (!value) return std::nullopt;
    reader.skipBlanks();
    if (!reader.atEnd()) return std::nullopt;
    return namedAssignment(*name, std::move(value), type, modifier);
}

std::optional<Assignment> readCacheAssignmentGrammar(std::string_view text, AssignType type,
                                                     AssignModifier modifier) {
    try {
        Assignment parsed =
            parseAssignment(rewriteLegacyPathLiterals(text), std::filesystem::path(), true);
        return Assignment(parsed.name, parsed.value, type, modifier);
    } catch (const std::exception&) {
    } catch (const RilkException&) {
    }
    return nameWithoutValue(text, type, modifier);
}

std::optional<Assignment> readCacheAssignment(std::string_view text, AssignType type,
                                              AssignModifier modifier) {
    if (auto fast = readCacheAssignmentFast(text, type, modifier)) return fast;
    return readCacheAssignmentGrammar(text, type, modifier);
}

}  // namespace Rilk
