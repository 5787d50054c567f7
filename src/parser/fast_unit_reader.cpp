// A recursive-descent reader of unit files, rule by rule the grammar's `unitFile`, building
// the model with the same calls as the visitor. Whatever it does not take ends the read
// with `Declined`, which `readUnitFast` turns into "not handled".
//
// `readUnitFast`, which chooses between one thread and several, is in unit_range_read.cpp.
#include "parser/fast_unit_reader.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "parser/fast_lexer.h"
#include "types/context.h"
#include "types/context_template.h"
#include "types/dependency.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

using Kind = FastToken::Kind;

/// Ends a read that the generated parser has to do.
struct Declined {};

[[noreturn]] void decline() { throw Declined(); }

/// Blocks, values and identifiers nested deeper than this are left to the generated parser,
/// which reports its own limit; everything a person writes stays far below it.
constexpr std::size_t kMaxNesting = 100;

/// Room made for the assignments of a block before its first one is read.
constexpr std::size_t kFirstAssignments = 4;

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
        where.at = token_.kind == Kind::Invalid ? lexer_.offset() : offsetIn(text_);
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

private:
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

    bool at(Kind kind) const { return token_.kind == kind; }
    void advance() {
        token_ = lexer_.next();
        if (token_.kind == Kind::Invalid) decline();
    }
    std::string take(Kind kind) {
        if (!at(kind)) decline();
        std::string text(token_.text);
        advance();
        return text;
    }
    bool skip(Kind kind) {
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
};

UnitPtr FastUnitReader::read() {
    auto unit = std::make_shared<Unit>();
    unit->name = readHeader();
    readTargets(*unit, unitName_);
    return unit;
}

const std::string& FastUnitReader::readHeader() {
    if (skip(Kind::UnitKeyword)) unitName_ = take(Kind::Identifier);
    return unitName_;
}

void FastUnitReader::readTargets(Unit& unit, const std::string& unitName) {
    if (&unitName != &unitName_) unitName_ = unitName;
    headerEnd_ = offsetIn(text_);
    while (at(Kind::Identifier)) {
        targetStart_ = offsetIn(text_);
        unit.addTarget(readTarget());
    }
    if (!at(Kind::End)) {
        targetStart_ = offsetIn(text_);
        decline();
    }
}

Target FastUnitReader::readTarget() {
    Target target;
    target.name.unit = unitName_;
    target.name.target = take(Kind::Identifier);
    if (skip(Kind::LParen)) {
        do {
            target.parameterNames.push_back(take(Kind::Identifier));
        } while (skip(Kind::Comma));
        take(Kind::RParen);
    }
    take(Kind::Colon);
    while (at(Kind::Plus) || at(Kind::Identifier) || at(Kind::At)) {
        target.dependencies.push_back(readDependency());
    }
    readBlock(target.assignments, target.conditions);
    return target;
}

Dependency FastUnitReader::readDependency() {
    const bool plus = skip(Kind::Plus);
    Dependency dependency;
    if (skip(Kind::At)) {
        DynamicDependency macro;
        macro.identifier = readIdentifier();
        dependency.target = std::move(macro);
    } else {
        dependency.target = readTargetName();
    }
    if (skip(Kind::LParen)) {
        std::size_t position = 0;
        do {
            readDependencyParameter(dependency, position++);
        } while (skip(Kind::Comma));
        take(Kind::RParen);
    }
    if (plus) dependency.modifier = Dependency::kPlus;
    if (at(Kind::Alias) || at(Kind::MergeAlias)) {
        dependency.aliasKind = at(Kind::Alias) ? Dependency::kAlias : Dependency::kMergeAlias;
        advance();
        dependency.alias = take(Kind::Identifier);
    }
    return dependency;
}

QualifiedTargetName FastUnitReader::readTargetName() {
    QualifiedTargetName name;
    std::string first = take(Kind::Identifier);
    if (skip(Kind::Slash)) {
        name.ns = std::move(first);
        name.unit = take(Kind::Identifier);
        take(Kind::DoubleColon);
        name.target = take(Kind::Identifier);
    } else if (skip(Kind::DoubleColon)) {
        name.unit = std::move(first);
        name.target = take(Kind::Identifier);
    } else {
        name.target = std::move(first);
    }
    return name;
}

void FastUnitReader::readDependencyParameter(Dependency& dependency, std::size_t position) {
    if (!skip(Kind::Dot)) {
        dependency.parameters.push_back(readIdentifier());
        return;
    }
    // The source marker only means something first in a dynamic dependency's list; the
    // visitor reports the misplaced one.
    if (!dependency.isDynamic() || position != 0) decline();
    std::get<DynamicDependency>(dependency.target).sourceParameter = true;
}

void FastUnitReader::readBlock(std::vector<Assignment>& assignments,
                               std::vector<Condition>& conditions) {
    Nested nested(depth_);
    take(Kind::LBrace);
    // A target holds a few assignments; growing the vector from nothing one by one would
    // reallocate it for each of the first few.
    if (assignments.capacity() == 0) assignments.reserve(kFirstAssignments);
    // Assignments and conditional blocks are gathered apart, so all assignments come
    // before the conditional blocks whatever their order in the text.
    while (!skip(Kind::RBrace)) {
        if (at(Kind::IfKeyword)) {
            conditions.push_back(readCondition());
        } else {
            assignments.push_back(readAssignment());
        }
    }
}

Assignment FastUnitReader::readAssignment() {
    auto modifier = AssignModifier::None;
    if (skip(Kind::Up)) {
        modifier = AssignModifier::Up;
    } else if (at(Kind::Must)) {
        decline();  // refused in unit files, with the visitor's message
    }
    std::string name = take(Kind::Identifier);
    auto type = Assignment::AssignType::Declare;
    if (skip(Kind::Equals)) {
        type = Assignment::AssignType::Set;
    } else if (skip(Kind::Append)) {
        type = Assignment::AssignType::Append;
    } else if (skip(Kind::AssignEmpty)) {
        type = Assignment::AssignType::SetIfUnset;
    }
    Assignment assignment({}, nullptr, type, modifier);
    assignment.name = std::move(name);
    if (type != Assignment::AssignType::Declare) assignment.value = readValue();
    return assignment;
}

Condition FastUnitReader::readCondition() {
    take(Kind::IfKeyword);
    Condition condition;
    condition.lhs = std::make_shared<RilkIdentifier>(readIdentifier());
    using Type = Condition::OperatorType;
    condition.type = at(Kind::Equals)      ? Type::Equal
                     : at(Kind::NotEquals) ? Type::NotEqual
                     : at(Kind::Lesser)    ? Type::Less
                     : at(Kind::Greater)   ? Type::Greater
                                           : Type::Resolves;
    if (condition.type != Type::Resolves) {
        advance();
        condition.rhs = readValue();
    }
    auto body = std::make_shared<ContextTemplate>();
    readBlock(body->assignments, body->conditions);
    condition.body = std::move(body);
    return condition;
}

RilkValuePtr FastUnitReader::readValue() {
    Nested nested(depth_);
    const std::string_view text = token_.text;
    switch (token_.kind) {
        case Kind::String:
            advance();
            return makeString(std::string(text.substr(1, text.size() - 2)));
        case Kind::RawString:
            advance();
            return std::make_shared<RilkRawString>(std::string(text.substr(3, text.size() - 5)));
        case Kind::PathString:
            advance();
            return makePathString(std::string(text.substr(3, text.size() - 5)), baseDirectory_);
        case Kind::Identifier:
            return std::make_shared<RilkIdentifier>(readIdentifier());
        case Kind::Number:
            return std::make_shared<RilkInt>(valueNumber());
        case Kind::LSquare:
            return readList();
        case Kind::LBrace:
            return readContextValue();
        default:
            decline();
    }
}

RilkValuePtr FastUnitReader::readList() {
    take(Kind::LSquare);
    auto list = std::make_shared<RilkList>();
    if (skip(Kind::RSquare)) return list;
    do {
        // A list element adds its own elements; any other value adds a clone.
        list->append(*readValue());
    } while (skip(Kind::Comma));
    take(Kind::RSquare);
    return list;
}

RilkValuePtr FastUnitReader::readContextValue() {
    ContextTemplate block;
    readBlock(block.assignments, block.conditions);
    return std::make_shared<RilkContext>(block.createContext());
}

Identifier FastUnitReader::readIdentifier() {
    Nested nested(depth_);
    Identifier identifier;
    do {
        Identifier::Segment segment;
        segment.name = take(Kind::Identifier);
        while (skip(Kind::LSquare)) {
            segment.indices.push_back(readIndex());
            take(Kind::RSquare);
        }
        identifier.segments.push_back(std::move(segment));
    } while (skip(Kind::Dot));
    return identifier;
}

IndexExpr FastUnitReader::readIndex() {
    if (at(Kind::Identifier)) return std::make_shared<Identifier>(readIdentifier());
    const std::uint64_t first = indexNumber();
    if (!skip(Kind::Colon)) return first;
    return IndexRange{first, indexNumber()};
}

std::uint64_t FastUnitReader::indexNumber() {
    if (!at(Kind::Number)) decline();
    // The unsigned 64-bit conversion of the visitor: a leading '-' wraps modulo 2^64, more
    // than 64 bits of digits is an error.
    std::string_view digits = token_.text;
    const bool negative = digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) decline();
    advance();
    return negative ? 0 - number : number;
}

std::int32_t FastUnitReader::valueNumber() {
    const std::string_view text = token_.text;
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) decline();
    advance();
    return number;
}

}  // namespace

std::optional<FastUnitHeader> readUnitHeaderFast(std::string_view text) {
    try {
        const std::filesystem::path noDirectory;
        FastUnitReader reader(text, noDirectory);
        std::string name = reader.readHeader();
        return FastUnitHeader{std::move(name), reader.offsetIn(text)};
    } catch (...) {
        return std::nullopt;
    }
}

bool readUnitTargetsFast(std::string_view text, const std::filesystem::path& baseDirectory,
                         const std::string& unitName, Unit& unit) noexcept {
    try {
        FastUnitReader(text, baseDirectory).readTargets(unit, unitName);
        return true;
    } catch (...) {
        return false;
    }
}

UnitPtr readWholeUnitFast(std::string_view text, const std::filesystem::path& baseDirectory,
                          FastDecline& decline) noexcept {
    std::optional<FastUnitReader> reader;
    try {
        reader.emplace(text, baseDirectory);
        return reader->read();
    } catch (const Declined&) {
        if (reader) {
            decline = reader->declined();
        } else {
            // The first token already: nothing was read.
            FastLexer lexer(text);
            lexer.next();
            decline = FastDecline{.at = lexer.offset(),
                                  .runsToEnd = lexer.stoppedUnclosed(),
                                  .notUtf8 = lexer.refusedWhole()};
        }
    } catch (...) {
        decline = FastDecline{.syntaxFine = true};
    }
    return nullptr;
}

UnitPtr readWholeUnitFast(std::string_view text,
                          const std::filesystem::path& baseDirectory) noexcept {
    try {
        return FastUnitReader(text, baseDirectory).read();
    } catch (...) {
        // Declined, or an error of the model (a duplicate target, a block whose
        // assignments cannot be applied): the generated parser and visitor report it.
        return nullptr;
    }
}

}  // namespace Rilk
