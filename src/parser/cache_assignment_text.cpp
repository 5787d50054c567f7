#include "parser/cache_assignment_text.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

/// Whether `name` is a keyword of the language (which no variable can be named). By length
/// first: this runs for every name the cache file holds.
bool isKeyword(std::string_view name) {
    using namespace std::string_view_literals;
    switch (name.size()) {
        case 2:
            return name == "if"sv;
        case 4:
            return name == "unit"sv || name == "name"sv;
        case 5:
            return name == "units"sv || name == "tools"sv;
        case 6:
            return name == "import"sv;
        case 8:
            return name == "profiles"sv || name == "projects"sv;
        default:
            return false;
    }
}

bool writeValue(const RilkValuePtr& value, int depth, std::string& out);

bool writeText(const RilkBaseString& text, std::string& out) {
    const std::string& s = text.text();
    const bool raw = valueCast<const RilkRawString>(&text) != nullptr;
    const bool quotable = s.find('"') == std::string::npos;
    if (raw ? fitsDelimitedLiteral(s) : !quotable && fitsDelimitedLiteral(s)) {
        out += "R\"(" + s + ")\"";
        return true;
    }
    if (!quotable) return false;
    out += '"' + s + '"';
    return true;
}

bool writeList(const RilkList& list, int depth, std::string& out) {
    if (list.elements().empty()) {
        out += "[]";
        return true;
    }
    out += '[';
    for (std::size_t i = 0; i < list.elements().size(); ++i) {
        const RilkValuePtr& element = list.elements()[i];
        // Reading a list flattens list elements and has no form for a missing one.
        if (!element || valueCast<const RilkList>(element.get())) return false;
        out += i == 0 ? " " : ", ";
        if (!writeValue(element, depth + 1, out)) return false;
    }
    out += " ]";
    return true;
}

bool writeBlock(const RilkContext& block, int depth, std::string& out) {
    const ContextPtr& context = block.context();
    if (!context || !context->conditions.empty()) return false;
    out += '{';
    for (const auto& [name, stored] : context->assignments) {
        if (!isPlainVariableName(stored.name)) return false;
        out += ' ';
        if (stored.modifier == AssignModifier::Up) {
            out += '^';
        } else if (stored.modifier != AssignModifier::None) {
            return false;
        }
        out += stored.name;
        // Inside a block the operator is the text's own: a bare name declares.
        if (stored.type == AssignType::Declare) {
            if (stored.value) return false;
            continue;
        }
        const char* op = Assignment::operatorText(stored.type);
        if (op == nullptr) return false;
        out += op;
        if (!stored.value || !writeValue(stored.value, depth + 1, out)) return false;
    }
    out += " }";
    return true;
}

bool writeValue(const RilkValuePtr& value, int depth, std::string& out) {
    if (depth > kMaxCacheTextDepth) return false;
    if (const auto* path = valueCast<const RilkPathString>(value.get())) {
        const std::string full = path->fullPathText();
        if (!fitsDelimitedLiteral(full)) return false;
        out += "P\"(" + full + ")\"";
        return true;
    }
    if (const auto* text = valueCast<const RilkBaseString>(value.get())) {
        return writeText(*text, out);
    }
    if (const auto* number = valueCast<const RilkInt>(value.get())) {
        out += number->toString();
        return true;
    }
    if (const auto* list = valueCast<const RilkList>(value.get())) {
        return writeList(*list, depth, out);
    }
    if (const auto* block = valueCast<const RilkContext>(value.get())) {
        return writeBlock(*block, depth, out);
    }
    return false;
}

}  // namespace

bool isPlainVariableName(std::string_view name) {
    if (name.empty() || !isCacheNameStart(name.front())) return false;
    for (char c : name) {
        if (!isCacheNameChar(c)) return false;
    }
    return !isKeyword(name);
}

bool isUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        // Plain ASCII, nearly every text, eight bytes at a time.
        if (text.size() - i >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        unsigned code = c & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

bool fitsDelimitedLiteral(std::string_view text) {
    return text.find(")\"") == std::string_view::npos && (text.empty() || text.back() != ')');
}

std::optional<std::string> cacheAssignmentText(const Assignment& assignment) {
    if (!isPlainVariableName(assignment.name)) return std::nullopt;
    std::string text = assignment.name;
    if (assignment.type == AssignType::Declare) {
        // The record line carries the operator, so a declaration's value is written with "=".
        if (!assignment.value) return text;
        text += " = ";
    } else if (const char* op = Assignment::operatorText(assignment.type)) {
        text += op;
    } else {
        return std::nullopt;
    }
    if (assignment.value && !writeValue(assignment.value, 0, text)) return std::nullopt;
    if (!isUtf8(text)) return std::nullopt;
    return text;
}

}  // namespace Rilk
