#pragma once

#include <memory>
#include <string>

#include "types/rilk_base_string.h"

namespace Rilk {

/// Text that is never expanded: written R"(...)" in the language.
class RilkRawString : public RilkBaseString {
public:
    explicit RilkRawString(std::string text) : RilkBaseString(std::move(text)) {}

    std::string typeName() const override { return "RilkRawString"; }
    ValueKind kind() const override { return ValueKind::RawString; }
    static constexpr bool holdsKind(ValueKind kind) { return kind == ValueKind::RawString; }
    std::shared_ptr<RilkBaseString> createSame(std::string text) const override;
};

}  // namespace Rilk
