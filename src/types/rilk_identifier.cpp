#include "types/rilk_identifier.h"

#include "types/rilk_errors.h"

namespace Rilk {

RilkValuePtr RilkIdentifier::clone() const { return std::make_shared<RilkIdentifier>(identifier_); }

RilkValuePtr RilkIdentifier::add(const RilkValue& other) const {
    throw BadOperation(toDisplayString() + " is not resolved yet and '" + other.toDisplayString() +
                       "' cannot be added.");
}

void RilkIdentifier::append(const RilkValue& other) {
    throw BadOperation(toDisplayString() + " is not resolved yet and '" + other.toDisplayString() +
                       "' cannot be appended to it.");
}

RilkValuePtr RilkIdentifier::resolve() {
    if (!resolver()) {
        throw RilkException("Identifier '" + toString() +
                            "' belongs to no context and cannot be resolved.");
    }
    return resolver()->resolve(identifier_);
}

}  // namespace Rilk
