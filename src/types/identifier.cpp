#include "types/identifier.h"

#include <fmt/format.h>

namespace Rilk {

namespace {

std::string indexText(const IndexExpr& index) {
    switch (index.index()) {
        case kNumberIndex:
            return std::to_string(std::get<kNumberIndex>(index));
        case kRangeIndex: {
            const IndexRange& r = std::get<kRangeIndex>(index);
            return fmt::format("{}..{}", r.first, r.last);
        }
        default: {
            const auto& nested = std::get<kIdentifierIndex>(index);
            return nested ? nested->toString() : "";
        }
    }
}

}  // namespace

std::string Identifier::toString() const {
    std::string text;
    for (const Segment& segment : segments) {
        if (!text.empty()) text += ".";
        text += segment.name;
        for (const IndexExpr& index : segment.indices) text += "[" + indexText(index) + "]";
    }
    return text;
}

}  // namespace Rilk
