#pragma once

// Every concrete value type of the configuration language.

#include "types/rilk_base_string.h"
#include "types/rilk_int.h"
#include "types/rilk_list.h"
#include "types/rilk_path_string.h"
#include "types/rilk_raw_string.h"
#include "types/rilk_string.h"

namespace Rilk {

// The values that hold identifiers and nested contexts live with the contexts.
class RilkIdentifier;
class RilkContext;

}  // namespace Rilk
