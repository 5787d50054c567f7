#include "types/rilk_int.h"

#include "types/rilk_errors.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

// Two's-complement sum without signed overflow: unsigned arithmetic wraps by definition.
std::int32_t wrappingSum(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

RilkValuePtr RilkInt::Iterator::dereference() const { return std::make_shared<RilkInt>(number_); }

bool RilkInt::Iterator::equals(const IRilkValueIterator& other) const {
    const auto* that = dynamic_cast<const Iterator*>(&other);
    if (!that) throw InternalError();
    return number_ == that->number_;
}

std::int32_t RilkInt::operand(const RilkValue& other) const {
    const auto* number = valueCast<const RilkInt>(&other);
    if (!number) throw BadConversion("RilkInt", toDisplayString(), other.typeName());
    return number->number_;
}

RilkValuePtr RilkInt::clone() const { return std::make_shared<RilkInt>(number_); }

RilkValuePtr RilkInt::add(const RilkValue& other) const {
    return std::make_shared<RilkInt>(wrappingSum(number_, operand(other)));
}

void RilkInt::append(const RilkValue& other) { number_ = wrappingSum(number_, operand(other)); }

std::string RilkInt::toString() const { return std::to_string(number_); }

std::unique_ptr<IRilkValueIterator> RilkInt::begin() const {
    return std::make_unique<Iterator>(number_);
}

std::unique_ptr<IRilkValueIterator> RilkInt::end() const {
    return std::make_unique<Iterator>(number_);
}

bool RilkInt::equals(const RilkValue& other) const { return number_ == operand(other); }

bool RilkInt::greater(const RilkValue& other) const { return number_ > operand(other); }

bool RilkInt::less(const RilkValue& other) const { return number_ < operand(other); }

}  // namespace Rilk
