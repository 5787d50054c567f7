#pragma once
// The fast unit-file reader's class, shared by the files that read its rules: units,
// targets and blocks in fast_unit_reader.cpp, values and identifiers in
// fast_value_reader.cpp; the registry file's rules in fast_registry_reader.cpp build on it.
// Nothing outside these readers uses it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "parser/fast_lexer.h"
#include "parser/fast_unit_reader.h"
#include "types/condition.h"
#include "types/dependency.h"
#include "types/identifier.h"
#include "types/target.h"
#include "types/unit.h"

namespace Rilk::fast_read {

/// Ends a read that the generated parser has to do.
struct Declined {};

[[noreturn]] inline void decline() { throw Declined(); }

/// Blocks, values and identifiers nested deeper than this are left to the generated parser,
/// which reports its own limit; everything a person writes stays far below it.
inline constexpr std::size_t kMaxNesting = 100;

/// Room made for the assignments of a block before its first one is read.
inline constexpr std::size_t kFirstAssignments = 4;

/// The recursive-descent reader of one unit file's text, rule by rule the grammar's
/// `unitFile`; whatever it does not take throws `Declined`. The registry file's reader
/// (fast_registry_reader.cpp) builds on its blocks and values.
class FastUnitReader {
public:
    FastUnitReader(std::string_view text, const std::filesystem::path& baseDirectory)
        : text_(text), lexer_(text), baseDirectory_(baseDirectory) {
        advance();
    }

    /// Where the read stopped; for a reader whose read threw `Declined`.
    FastDecline declined() const {
        FastDecline where;
        where.headerEnd = headerEnd_;
        where.targetStart = targetStart_;
        where.at = token_.kind == FastToken::Kind::Invalid ? lexer_.offset() : offsetIn(text_);
        where.runsToEnd = lexer_.stoppedUnclosed();
        where.notUtf8 = lexer_.refusedWhole();
        return where;
    }

    /// The whole text: the optional `unit` line, then targets up to the end.
    UnitPtr read();

    /// The optional `unit` line at the start; the unit's name, empty without one.
    const std::string& readHeader();
    /// Where the token after what has been read starts, as an offset into `text`.
    std::size_t offsetIn(std::string_view text) const {
        return static_cast<std::size_t>(token_.text.data() - text.data());
    }
    /// The targets from here to the end of the text into `unit`, under the unit name
    /// `unitName`.
    void readTargets(Unit& unit, const std::string& unitName);

protected:
    /// Counts one level of nesting for its scope.
    class Nested {
    public:
        explicit Nested(std::size_t& depth) : depth_(depth) {
            if (++depth_ > kMaxNesting) decline();
        }
        ~Nested() { --depth_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

    private:
        std::size_t& depth_;
    };

    bool at(FastToken::Kind kind) const { return token_.kind == kind; }
    void advance() {
        token_ = lexer_.next();
        if (token_.kind == FastToken::Kind::Invalid) decline();
    }
    std::string take(FastToken::Kind kind) {
        if (!at(kind)) decline();
        std::string text(token_.text);
        advance();
        return text;
    }
    bool skip(FastToken::Kind kind) {
        if (!at(kind)) return false;
        advance();
        return true;
    }

    Target readTarget();
    Dependency readDependency();
    /// The target name of a dependency without '@'.
    QualifiedTargetName readTargetName();
    void readDependencyParameter(Dependency& dependency, std::size_t position);
    void readBlock(std::vector<Assignment>& assignments, std::vector<Condition>& conditions);
    Assignment readAssignment();
    Condition readCondition();
    RilkValuePtr readValue();
    RilkValuePtr readList();
    RilkValuePtr readContextValue();
    Identifier readIdentifier();
    IndexExpr readIndex();
    std::uint64_t indexNumber();
    std::int32_t valueNumber();

    std::string_view text_;
    FastLexer lexer_;
    FastToken token_;
    const std::filesystem::path& baseDirectory_;
    std::string unitName_;
    std::size_t depth_ = 0;
    std::size_t headerEnd_ = 0;
    std::size_t targetStart_ = 0;
    /// Blocks and values are read as the visitor reads them in a registry file: "!" is
    /// legal in every block, and a block as a value has no value (a list leaves it out).
    bool registry_ = false;
    /// Whether a block read as a value got no value, as in a registry.
    bool valuelessBlock_ = false;
};

}  // namespace Rilk::fast_read
