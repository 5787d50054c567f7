#pragma once

#include <string_view>

namespace Util {

/// Copies `from`, bytes of a mapped file, to `to` (room for `from.size()` bytes), and
/// tells whether they could all be read: a file cut short in place (another process
/// truncated it) takes away the pages past its new end, and reading them would end the
/// process with SIGBUS. Here that signal only ends the copy, on the thread that met it;
/// a SIGBUS anywhere else is handled as before. Whatever `to` holds after a failed copy
/// is meaningless.
bool copyMappedBytes(char* to, std::string_view from);

}  // namespace Util
