#pragma once

#include "types/rilk_value.h"

namespace Rilk {

/// A value with its kind read once, so that testing it for one kind after another costs no
/// further virtual call: `as<T>()` is `valueCast<const T>` of the value.
class KindedValue {
public:
    explicit KindedValue(const RilkValue& value) : value_(value), kind_(value.kind()) {}

    template <class T>
    const T* as() const {
        return T::holdsKind(kind_) ? static_cast<const T*>(&value_) : nullptr;
    }

private:
    const RilkValue& value_;
    ValueKind kind_;
};

}  // namespace Rilk
