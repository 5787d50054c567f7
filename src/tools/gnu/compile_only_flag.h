#pragma once

#include <string>

namespace Rilk {

/// Whether compiler flags ask for compiling only: some blank-separated word of the text
/// is exactly "-c" ("-O2 -c" and "-fno-common -c" do, "-cfoo" and "-fno-common" do not).
bool hasCompileOnlyFlag(const std::string& flags);

}  // namespace Rilk
