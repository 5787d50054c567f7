#include "types/rilk_value.h"

#include "types/rilk_errors.h"

namespace Rilk {

RilkValuePtr RilkValue::get(const AccessKey& key) const {
    throw IndexException(toDisplayString(), key);
}

RilkValuePtr Resolver::resolveName(const std::string& name) {
    Identifier identifier;
    identifier.segments.push_back({name, {}});
    return resolve(identifier);
}

bool RilkValue::notEquals(const RilkValue& other) const { return !equals(other); }

ValueIterator::ValueIterator(std::unique_ptr<IRilkValueIterator> iterator)
    : iterator_(std::move(iterator)) {}

ValueIterator& ValueIterator::operator++() {
    if (!iterator_) throw InternalError();
    iterator_->increment();
    return *this;
}

RilkValuePtr ValueIterator::operator*() const {
    if (!iterator_) throw InternalError();
    return iterator_->dereference();
}

bool ValueIterator::operator==(const ValueIterator& other) const {
    if (!iterator_ || !other.iterator_) return !iterator_ && !other.iterator_;
    return iterator_->equals(*other.iterator_);
}

ValueIterator valueBegin(const RilkValue& value) { return ValueIterator(value.begin()); }

ValueIterator valueEnd(const RilkValue& value) { return ValueIterator(value.end()); }

}  // namespace Rilk
