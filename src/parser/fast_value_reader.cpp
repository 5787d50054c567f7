// The fast unit-file reader's rules for values, lists, blocks as values and identifiers.
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>

#include "parser/fast_unit_reader_class.h"
#include "types/context_template.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/rilk_value_types.h"

namespace Rilk::fast_read {

using Kind = FastToken::Kind;

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
        const RilkValuePtr value = readValue();
        if (value) list->append(*value);
    } while (skip(Kind::Comma));
    take(Kind::RSquare);
    return list;
}

RilkValuePtr FastUnitReader::readContextValue() {
    ContextTemplate block;
    readBlock(block.assignments, block.conditions);
    if (registry_) {
        valuelessBlock_ = true;
        return nullptr;
    }
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

}  // namespace Rilk::fast_read
