// A recursive-descent reader of unit files, rule by rule the grammar's `unitFile`, building
// the model with the same calls as the visitor. Whatever it does not take ends the read
// with `Declined`, which `readUnitFast` turns into "not handled".
//
// The reader's class is in fast_unit_reader_class.h, its values and identifiers in
// fast_value_reader.cpp.
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
#include "parser/fast_unit_reader_class.h"
#include "types/context.h"
#include "types/context_template.h"
#include "types/dependency.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"

namespace Rilk {
namespace fast_read {

using Kind = FastToken::Kind;

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
        if (!registry_) decline();  // refused in unit files, with the visitor's message
        advance();
        modifier = AssignModifier::Must;
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

}  // namespace fast_read

using fast_read::Declined;
using fast_read::FastUnitReader;

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
