#pragma once

#include <string_view>

namespace Util {

/// Copies `from`, bytes of a mapped file (`MappedFile`) or of memory that cannot lose
/// pages, to `to` (room for `from.size()` bytes), and tells whether they could all be read:
/// a file cut short in place (another process truncated it) takes away the pages past its
/// new end, which then read as zero bytes (`guardMapping`). False once any page of the
/// mapping `from` lies in was lost, read by this copy or before; whatever `to` holds then
/// is meaningless.
bool copyMappedBytes(char* to, std::string_view from);

}  // namespace Util
