#pragma once

#include <cstddef>
#include <string>

namespace Util {

/// The position of the first case-insensitive match of `needle` in `haystack` at or after
/// `start`, or `std::string::npos`. An empty needle matches at `start` when `start` lies
/// before the end. `start` must not exceed the length of the haystack.
std::size_t ciFind(const std::string& haystack, const char* needle, std::size_t start);

}  // namespace Util
