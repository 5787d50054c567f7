#include "app/cache/file/assignment_record_match.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "app/cache/file/cache_file_format.h"
#include "parser/cache_escaped_literal.h"
#include "parser/delimited_literal.h"
#include "parser/name_rules.h"
#include "parser/utf8_text.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

/// How a value's written form compares with the front of the text left.
enum class Match { Spelled, Differs, OtherKind };

Match spelled(bool same) { return same ? Match::Spelled : Match::Differs; }

/// Removes from the front of `rest` the escaped form of `bytes` (cache_escaped_literal.h).
bool takeEscaped(std::string_view& rest, std::string_view bytes) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!isEscapedInCacheLiteral(byte)) {
            if (rest.empty() || rest.front() != c) return false;
            rest.remove_prefix(1);
            continue;
        }
        std::string escaped;
        appendCacheEscaped(escaped, std::string_view(&c, 1));
        if (!takePrefix(rest, escaped)) return false;
    }
    return true;
}

/// Whether `rest` starts with the cache's own literal of the kind `kind`.
bool startsEscaped(std::string_view rest, char kind) {
    return rest.size() >= 4 && rest[0] == kind && rest.substr(1, 3) == "%\"(";
}

/// The cache's own literal `<kind>%"(...)"`, its kind already seen at the front of `rest`,
/// of the text `pieces` spell in turn, which the writer gives only where `hasLiteral` of
/// that text is false.
Match matchEscaped(std::string_view& rest, std::initializer_list<std::string_view> pieces,
                   bool (*hasLiteral)(std::string_view), bool checkRefusals) {
    rest.remove_prefix(4);
    for (std::string_view piece : pieces) {
        if (!takeEscaped(rest, piece)) return Match::Differs;
    }
    if (checkRefusals) {
        std::string text;
        for (std::string_view piece : pieces) text += piece;
        if (hasLiteral(text)) return Match::Differs;
    }
    return spelled(takePrefix(rest, ")\""));
}

/// The writer's delimited literal `<letter>"(...)"` whose content is `pieces` in turn:
/// valid UTF-8, holding no `)"` and not ending with ')'.
Match matchDelimited(std::string_view& rest, char letter,
                     std::initializer_list<std::string_view> pieces, bool checkRefusals) {
    if (letter == 'P' && startsEscaped(rest, 'P')) {
        return matchEscaped(rest, pieces, pathHasLiteral, checkRefusals);
    }
    const char opening[] = {letter, '"', '('};
    if (!takePrefix(rest, std::string_view(opening, 3))) return Match::Differs;
    const std::string_view start = rest;
    for (std::string_view piece : pieces) {
        if (!takePrefix(rest, piece)) return Match::Differs;
    }
    const std::string_view content = start.substr(0, start.size() - rest.size());
    if (checkRefusals && !(isUtf8(content) && fitsDelimitedLiteralStrictly(content))) {
        return Match::Differs;
    }
    return spelled(takePrefix(rest, ")\""));
}

/// The writer's form of a text: a raw string as `R"(...)"` when it fits one, a plain
/// string quoted when it holds no double quote, else a plain string as a raw one; the
/// cache's own literal where none of them holds the text.
Match matchText(std::string_view& rest, std::string_view text, bool raw, bool checkRefusals) {
    if (startsEscaped(rest, raw ? 'R' : 'S')) {
        return matchEscaped(rest, {text}, textHasLiteral, checkRefusals);
    }
    const bool quotable = text.find('"') == std::string_view::npos;
    // Whether the text fits a raw literal only matters for a raw string or an unquotable one.
    if ((raw || !quotable) && fitsDelimitedLiteralStrictly(text)) {
        return matchDelimited(rest, 'R', {text}, checkRefusals);
    }
    if (!quotable || (checkRefusals && !isUtf8(text))) return Match::Differs;
    return spelled(takePrefix(rest, "\"") && takePrefix(rest, text) && takePrefix(rest, "\""));
}

Match matchValue(std::string_view& rest, const RilkValue& value, bool checkRefusals);

/// The writer's form of a list: "[]", or "[ a, b ]" of elements that are no lists.
Match matchList(std::string_view& rest, const RilkList& list, bool checkRefusals) {
    if (list.elements().empty()) return spelled(takePrefix(rest, "[]"));
    if (!takePrefix(rest, "[")) return Match::Differs;
    std::string_view separator = " ";
    for (const RilkValuePtr& element : list.elements()) {
        if (!element || valueCast<const RilkList>(element.get()) != nullptr) return Match::Differs;
        if (!takePrefix(rest, separator)) return Match::Differs;
        const Match match = matchValue(rest, *element, checkRefusals);
        if (match != Match::Spelled) return match;
        separator = ", ";
    }
    return spelled(takePrefix(rest, " ]"));
}

Match matchValue(std::string_view& rest, const RilkValue& value, bool checkRefusals) {
    if (const auto* path = valueCast<const RilkPathString>(&value)) {
        const JoinedPath joined = joinPath(path->baseDirectory().native(), path->text());
        return matchDelimited(rest, 'P', {joined.base, joined.separator ? "/" : "", joined.text},
                              checkRefusals);
    }
    if (const auto* text = valueCast<const RilkBaseString>(&value)) {
        return matchText(rest, text->text(), valueCast<const RilkRawString>(&value) != nullptr,
                         checkRefusals);
    }
    if (valueCast<const RilkInt>(&value) != nullptr) {
        return spelled(takePrefix(rest, value.toString()));
    }
    if (const auto* list = valueCast<const RilkList>(&value)) {
        return matchList(rest, *list, checkRefusals);
    }
    return Match::OtherKind;
}

/// The assignment's text as the writer gives it: its name, operator and value.
Match matchAssignmentText(std::string_view text, const Assignment& assignment, bool checkRefusals) {
    if ((checkRefusals && !isPlainVariableName(assignment.name)) ||
        !takePrefix(text, assignment.name)) {
        return Match::Differs;
    }
    if (assignment.type == AssignType::Declare) {
        if (!assignment.value) return spelled(text.empty());
        if (!takePrefix(text, " = ")) return Match::Differs;
    } else {
        const char* op = Assignment::operatorText(assignment.type);
        if (op == nullptr || !takePrefix(text, op)) return Match::Differs;
    }
    if (!assignment.value) return spelled(text.empty());
    const Match match = matchValue(text, *assignment.value, checkRefusals);
    return match == Match::Spelled ? spelled(text.empty()) : match;
}

/// The record line "A <operator> <modifier>" as the writer gives it.
bool takeRecordLine(std::string_view& rest, const Assignment& assignment) {
    const auto type = static_cast<std::uint32_t>(assignment.type);
    const auto modifier = static_cast<std::uint32_t>(assignment.modifier);
    if (type < 10 && modifier < 10) {
        const char line[] = {
            'A', ' ', static_cast<char>('0' + type), ' ', static_cast<char>('0' + modifier), '\n'};
        return takePrefix(rest, std::string_view(line, sizeof line));
    }
    return takePrefix(rest, "A " + std::to_string(type) + " " + std::to_string(modifier) + "\n");
}

/// A length line as the writer gives it: decimal digits without a leading zero.
bool takeLength(std::string_view& rest, std::size_t& length) {
    const std::size_t end = rest.find('\n');
    if (end == 0 || end == std::string_view::npos || end > 19 || (rest[0] == '0' && end > 1)) {
        return false;
    }
    length = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (rest[i] < '0' || rest[i] > '9') return false;
        length = length * 10 + static_cast<std::size_t>(rest[i] - '0');
    }
    rest.remove_prefix(end + 1);
    return true;
}

}  // namespace

bool matchAssignmentRecord(std::string_view& bytes, const Assignment& assignment,
                           bool checkRefusals) {
    std::string_view rest = bytes;
    std::size_t length = 0;
    std::string_view text;
    if (!takeRecordLine(rest, assignment) || !takeLength(rest, length) || rest.size() < length) {
        return false;
    }
    text = rest.substr(0, length);
    rest.remove_prefix(length);
    if (!takePrefix(rest, "\n")) return false;
    const Match match = matchAssignmentText(text, assignment, checkRefusals);
    if (match == Match::OtherKind) {
        // A value of another kind: compared with what the writer gives.
        std::string written;
        if (!writeAssignmentRecord(written, assignment) || !takePrefix(bytes, written)) {
            return false;
        }
        return true;
    }
    if (match != Match::Spelled) return false;
    bytes = rest;
    return true;
}

}  // namespace Rilk
