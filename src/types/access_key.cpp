#include "types/access_key.h"

#include <fmt/format.h>

namespace Rilk {

std::string formatAccessKey(const AccessKey& key) {
    switch (key.index()) {
        case kPositionKey:
            return fmt::format("[{}]", std::get<kPositionKey>(key));
        case kRangeKey: {
            const Range& r = std::get<kRangeKey>(key);
            return fmt::format("[{}:{}:{}]", r.start, r.end, r.step);
        }
        case kNameKey:
            return std::get<kNameKey>(key);
        default:
            return "/" + std::get<kPatternKey>(key) + "/";
    }
}

}  // namespace Rilk
