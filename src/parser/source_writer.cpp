// The source writer's values: literals, lists, identifiers and block values.
#include "parser/source_writer.h"

#include <fmt/format.h>

#include "parser/cache_escaped_literal.h"
#include "parser/delimited_literal.h"
#include "parser/name_rules.h"
#include "parser/utf8_text.h"
#include "types/path_glob.h"
#include "types/rilk_context_types.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"

namespace Rilk {
namespace {

/// One level deeper for as long as it lives.
class Deeper {
public:
    explicit Deeper(int& depth) : depth_(depth) { ++depth_; }
    ~Deeper() { --depth_; }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;

private:
    int& depth_;
};

}  // namespace

std::string SourceRefusal::message() const {
    if (variable.empty()) return reason;
    return fmt::format("the variable '{}': {}", variable, reason);
}

bool SourceWriter::refuse(std::string reason) {
    refusal_.variable.clear();
    refusal_.reason = std::move(reason);
    return false;
}

bool SourceWriter::within(std::string_view name) {
    refusal_.variable = refusal_.variable.empty() ? std::string(name)
                                                  : fmt::format("{}.{}", name, refusal_.variable);
    return false;
}

bool SourceWriter::value(std::string& out, const RilkValue& value) {
    if (resolved() && depth_ > kMaxResolvedTextDepth) {
        return refuse(fmt::format("values nest deeper than {} levels", kMaxResolvedTextDepth));
    }
    if (form_ == SourceForm::CommandLine && !readsBackResolved(value)) return false;
    if (const auto* path = valueCast<const RilkPathString>(&value)) {
        const std::string full = path->fullPathText();
        if (!cacheLiterals_) return delimited(out, 'P', full);
        // The checks `delimited` would make, made once.
        if (!pathHasLiteral(full)) return escaped(out, 'P', full);
        appendDelimited(out, 'P', full);
        return true;
    }
    if (const auto* text = valueCast<const RilkBaseString>(&value)) {
        const bool raw = valueCast<const RilkRawString>(&value) != nullptr;
        if (cacheLiterals_ && !textHasLiteral(text->text())) {
            return escaped(out, raw ? 'R' : 'S', text->text());
        }
        return this->text(out, text->text(), raw);
    }
    if (valueCast<const RilkInt>(&value) != nullptr) {
        out += value.toString();
        return true;
    }
    if (valueCast<const RilkList>(&value) != nullptr) return list(out, value);
    if (valueCast<const RilkContext>(&value) != nullptr) return block(out, value);
    if (const auto* name = valueCast<const RilkIdentifier>(&value)) {
        if (form_ == SourceForm::Template) return identifier(out, name->identifier());
        return refuse(fmt::format("the identifier '{}' is not a resolved value",
                                  name->identifier().toString()));
    }
    return refuse(fmt::format("a value of type {} has no written form", value.typeName()));
}

bool SourceWriter::readsBackResolved(const RilkValue& value) {
    if (const auto* path = valueCast<const RilkPathString>(&value)) {
        const std::string full = path->fullPathText();
        if (!resolvingChanges(full) && !isWildPattern(full)) return true;
        return refuse(fmt::format(
            "the path '{}' holds a reference, a group, a marker or a wildcard, which a path "
            "given back would expand or match against the disk",
            full));
    }
    const auto* text = valueCast<const RilkBaseString>(&value);
    if (text == nullptr || !resolvingChanges(text->text())) return true;
    // Given back, a string is expanded, and so is a raw string's text wherever it is
    // referred to: only a raw string that stays one is what it was.
    if (valueCast<const RilkRawString>(&value) == nullptr) {
        return refuse(fmt::format(
            "the text '{}' holds a reference, a group or a marker, which a string given back "
            "would expand",
            text->text()));
    }
    if (fits(text->text())) return true;
    return refuse(fmt::format(
        "the raw text '{}' holds a reference, a group or a marker, which a string given back "
        "would expand, and ')\"' or a last ')', which a raw string cannot hold",
        text->text()));
}

bool SourceWriter::plainString(std::string& out, std::string_view text) {
    if (!isUtf8(text)) return refuse("is not valid UTF-8");
    if (text.find('"') != std::string_view::npos) return refuse("holds a double quote");
    out += '"';
    out += text;
    out += '"';
    return true;
}

bool SourceWriter::text(std::string& out, std::string_view text, bool raw) {
    const bool resolved = this->resolved();
    const bool quotable = text.find('"') == std::string_view::npos;
    // A resolved value keeps its text, not its literal form: a string holding a double
    // quote becomes a raw string, a raw string that cannot be one a plain string.
    if (raw ? fits(text) : !quotable && resolved && fits(text)) return delimited(out, 'R', text);
    if (quotable && (!raw || resolved)) {
        if (!isUtf8(text)) return refuse(fmt::format("the text '{}' is not valid UTF-8", text));
        out += '"';
        out += text;
        out += '"';
        return true;
    }
    if (raw && !resolved) return delimited(out, 'R', text);  // refused, with the reason
    return refuse(fmt::format(
        "the string \"{}\" holds a double quote, which a plain string cannot hold{}", text,
        resolved ? ", and ')\"' or a last ')', which a raw string cannot hold" : ""));
}

bool SourceWriter::delimited(std::string& out, char letter, std::string_view content) {
    if (!isUtf8(content)) return refuse(fmt::format("the text '{}' is not valid UTF-8", content));
    if (!fits(content)) {
        return refuse(fmt::format(
            "the text '{}' would end its {}\"(...)\" literal early: it holds ')\"' or ends "
            "with ')'",
            content, letter));
    }
    appendDelimited(out, letter, content);
    return true;
}

void SourceWriter::appendDelimited(std::string& out, char letter, std::string_view content) {
    out += letter;
    out += "\"(";
    out += content;
    out += ")\"";
}

bool SourceWriter::escaped(std::string& out, char kind, std::string_view content) {
    out += kind;
    out += "%\"(";
    appendCacheEscaped(out, content);
    out += ")\"";
    return true;
}

bool SourceWriter::fits(std::string_view content) const {
    // Resolved texts keep to the cache file's stricter rule, so that it stays the same.
    return resolved() ? fitsDelimitedLiteralStrictly(content) : fitsDelimitedLiteral(content);
}

bool SourceWriter::list(std::string& out, const RilkValue& value) {
    const auto& elements = static_cast<const RilkList&>(value).elements();
    if (elements.empty()) {
        out += "[]";
        return true;
    }
    const Deeper deeper(depth_);
    out += '[';
    const char* separator = " ";
    for (const RilkValuePtr& element : elements) {
        if (!element) return refuse("a list element has no value");
        // Reading a list takes in the elements of a list element.
        if (valueCast<const RilkList>(element.get()) != nullptr) {
            return refuse("a list inside a list reads back differently, as its elements");
        }
        out += separator;
        if (!this->value(out, *element)) return false;
        separator = ", ";
    }
    out += " ]";
    return true;
}

bool SourceWriter::block(std::string& out, const RilkValue& value) {
    if (form_ == SourceForm::Template) {
        return refuse("a block value has no written form outside unit files");
    }
    const ContextPtr& context = static_cast<const RilkContext&>(value).context();
    if (!context) return refuse("a block value has no context");
    if (!context->conditions.empty()) return refuse("a resolved block holds conditions");
    const Deeper deeper(depth_);
    out += '{';
    for (const auto& [key, stored] : context->assignments) {
        out += ' ';
        if (!statement(out, stored)) return false;
    }
    out += " }";
    return true;
}

bool SourceWriter::name(std::string& out, std::string_view name) {
    if (!isPlainVariableName(name)) {
        return refuse(fmt::format("'{}' is not a valid name: {}", name, invalidNameReason(name)));
    }
    out += name;
    return true;
}

bool SourceWriter::identifier(std::string& out, const Identifier& identifier) {
    const char* separator = "";
    for (const Identifier::Segment& segment : identifier.segments) {
        out += separator;
        separator = ".";
        if (!name(out, segment.name)) return false;
        for (const IndexExpr& index : segment.indices) {
            out += '[';
            switch (index.index()) {
                case kNumberIndex:
                    out += std::to_string(std::get<kNumberIndex>(index));
                    break;
                case kRangeIndex: {
                    const IndexRange& range = std::get<kRangeIndex>(index);
                    out += fmt::format("{}:{}", range.first, range.last);
                    break;
                }
                default: {
                    const auto& nested = std::get<kIdentifierIndex>(index);
                    if (!nested) return refuse("an identifier index is empty");
                    if (!this->identifier(out, *nested)) return false;
                }
            }
            out += ']';
        }
    }
    return true;
}

}  // namespace Rilk
