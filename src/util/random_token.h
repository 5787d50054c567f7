#pragma once

#include <string>

namespace Util {

/// A new random token, 32 hexadecimal digits: unique to this process and moment even where
/// the system gives no random bits.
std::string randomRunToken();

}  // namespace Util
