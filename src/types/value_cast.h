#pragma once

#include <memory>
#include <type_traits>

#include "types/rilk_value.h"

namespace Rilk {

/// `value` as a `T` (which may be const-qualified) when its concrete type is `T` or derives
/// from it, else null. Works like `dynamic_cast` on the value classes, through the kind tag.
template <class T, class V>
T* valueCast(V* value) {
    static_assert(std::is_base_of_v<RilkValue, std::remove_const_t<T>>);
    if (value == nullptr || !std::remove_const_t<T>::holdsKind(value->kind())) return nullptr;
    return static_cast<T*>(value);
}

/// `valueCast` keeping shared ownership, like `std::dynamic_pointer_cast`.
template <class T>
std::shared_ptr<T> valuePointerCast(const RilkValuePtr& value) {
    return valueCast<T>(value.get()) ? std::static_pointer_cast<T>(value) : nullptr;
}

/// The value as a `Resolvable`, or null (also for a null value).
inline Resolvable* asResolvable(RilkValue* value) {
    return value ? value->resolvable() : nullptr;
}

inline const Resolvable* asResolvable(const RilkValue* value) {
    return value ? const_cast<RilkValue*>(value)->resolvable() : nullptr;
}

}  // namespace Rilk
