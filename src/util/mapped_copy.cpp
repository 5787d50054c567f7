#include "util/mapped_copy.h"

#include <cstring>

#include "util/mapping_guard.h"

namespace Util {

bool copyMappedBytes(char* to, std::string_view from) {
    std::memcpy(to, from.data(), from.size());
    return !mappedBytesLost(from);
}

}  // namespace Util
