#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "types/assignment.h"
#include "types/condition.h"
#include "types/context_template.h"
#include "types/identifier.h"
#include "types/rilk_value.h"

namespace Rilk {

/// What the values written back as source text are.
enum class SourceForm {
    /// Unresolved templates, as the registry keeps tool definitions: identifiers with their
    /// indices, "if" blocks and the "!" modifier are written; a plain string is written in
    /// double quotes only, a raw string as R"(...)" only; a block value has no written form
    /// (a block is a value only in unit files); an operator without value is followed by
    /// "{}" (which reads back without one outside unit files).
    Template,
    /// Resolved values, as the build cache and the `-o` file keep them: block values are
    /// written whole (without conditions or "!"); a plain string holding a double quote is
    /// written as a raw string, and a raw string that cannot stay one in double quotes; raw
    /// and path literals keep to `fitsDelimitedLiteralStrictly`; no identifiers; values
    /// nest at most `kMaxResolvedTextDepth` deep; an operator needs a value.
    Resolved,
    /// Resolved values as a command-line item gives them back, where they are resolved once
    /// more: as `Resolved`, except that a string or path whose text resolving would change
    /// (a "${" reference, a "#{" group or a "#" and digit marker; for a path, a wildcard
    /// too) has no written form, nor has a raw string holding such text that cannot stay
    /// raw.
    CommandLine,
};

/// Nesting of lists and blocks that a resolved text may have: the writer refuses deeper
/// values and the cache's fast reader declines deeper texts.
inline constexpr int kMaxResolvedTextDepth = 64;

/// Why the writer wrote nothing: the variable (dotted into block values, "X.a"; empty for a
/// value written on its own) and the reason.
struct SourceRefusal {
    std::string variable;
    std::string reason;

    /// "the variable 'X': <reason>", or the reason alone when there is no variable.
    std::string message() const;
};

/// Writes model objects back as source text of the configuration language that reads back
/// as the same object: in template form as the registry reads it (its exact equality), in
/// resolved form as the cache and the single-assignment parse read it (the cache's
/// equality). Names, keywords, literal ends and UTF-8 follow the lexer's rules
/// (name_rules.h, delimited_literal.h, utf8_text.h).
///
/// Never throws for an object without such a form: each call returns false, leaving `out`
/// partly written, and `refusal()` names the variable and the reason. Refusals are rare and
/// only they build a message, so the cache can write every record through it.
class SourceWriter {
public:
    explicit SourceWriter(SourceForm form) : form_(form) {}
    /// A resolved-form writer for the build cache: a text or path that no literal of the
    /// language can hold is written in the cache's own literal (cache_escaped_literal.h)
    /// instead of refused.
    static SourceWriter forCacheRecords() {
        SourceWriter writer(SourceForm::Resolved);
        writer.cacheLiterals_ = true;
        return writer;
    }

    /// Appends the value's literal: "text" or R"(text)", P"(full path)", a number,
    /// [ a, b ] ("[]" when empty), an identifier (template), { a = 1 ^b } (resolved).
    bool value(std::string& out, const RilkValue& value);
    /// Appends the text as a plain string literal in double quotes (a path in a project or
    /// registry file); refuses a text holding a double quote or that is not UTF-8.
    bool plainString(std::string& out, std::string_view text);
    /// Appends the identifier with its indices (a.b[1][2:5][c]).
    bool identifier(std::string& out, const Identifier& identifier);

    /// Appends the assignment as a statement of a block: "^" or "!" (template only), the
    /// name, the operator and the value; a declaration as the bare name.
    bool statement(std::string& out, const Assignment& assignment);
    /// Appends the assignment as the text of a build cache record, whose line carries the
    /// operator and the modifier: the name, the operator (" = " for a declaration with a
    /// value) and the value; the bare name for a declaration without value; the name and
    /// the operator for an operator without value. Resolved form.
    bool recordText(std::string& out, const Assignment& assignment);
    /// Appends the assignment as a command-line assignment item: name, " = ", value (which
    /// must be there), as the single-assignment parse reads it. Resolved or command-line
    /// form.
    bool itemText(std::string& out, const Assignment& assignment);
    /// Appends the block's statements, then its conditional blocks ("if" head, the body
    /// two blanks deeper, "}"), one line each, indented by `indent` blanks and ended by a
    /// line feed. Template form.
    bool blockLines(std::string& out, const ContextTemplate& block, std::size_t indent);

    /// Why the last call that returned false refused.
    const SourceRefusal& refusal() const { return refusal_; }

private:
    /// Whether the values written are resolved ones (any form but the template's).
    bool resolved() const { return form_ != SourceForm::Template; }
    /// Whether a string or path value, given back on the command line and resolved, is
    /// what it was (`SourceForm::CommandLine`); refuses it otherwise.
    bool readsBackResolved(const RilkValue& value);
    bool text(std::string& out, std::string_view text, bool raw);
    bool delimited(std::string& out, char letter, std::string_view content);
    /// Whether `content` may stand in a delimited literal of this form.
    bool fits(std::string_view content) const;
    bool list(std::string& out, const RilkValue& value);
    bool block(std::string& out, const RilkValue& value);
    bool name(std::string& out, std::string_view name);
    bool conditionHead(std::string& out, const Condition& condition);
    /// Records `reason` (the variable is filled in on the way out) and returns false.
    bool refuse(std::string reason);
    /// Prefixes the refusal's variable with `name` and returns false.
    bool within(std::string_view name);

    /// Appends `<letter>"(content)"`, unchecked.
    static void appendDelimited(std::string& out, char letter, std::string_view content);
    /// Writes the cache's own literal where the language has none.
    bool escaped(std::string& out, char kind, std::string_view content);

    SourceForm form_;
    bool cacheLiterals_ = false;
    int depth_ = 0;
    SourceRefusal refusal_;
};

/// The text under which the build cache file keeps an assignment (`recordText`, with the
/// cache's own literal for texts the language has none for), or nothing when it has none.
std::optional<std::string> cacheAssignmentText(const Assignment& assignment);

}  // namespace Rilk
