// Resolution of string and path-string values: reference expansion, cross expansion and
// path globbing.

#include "types/rilk_errors.h"
#include "types/rilk_path_string.h"
#include "types/rilk_string.h"

namespace Rilk {

RilkValuePtr RilkString::resolve() {
    throw BadOperation("String resolution is not available yet.");
}

RilkValuePtr RilkPathString::resolve() {
    throw BadOperation("String resolution is not available yet.");
}

}  // namespace Rilk
