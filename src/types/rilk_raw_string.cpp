#include "types/rilk_raw_string.h"

namespace Rilk {

std::shared_ptr<RilkBaseString> RilkRawString::createSame(std::string text) const {
    return std::make_shared<RilkRawString>(std::move(text));
}

}  // namespace Rilk
