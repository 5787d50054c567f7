#pragma once

#include <string_view>

#include "types/assignment.h"

namespace Rilk {

/// Whether `bytes` begin with exactly the assignment record that `writeAssignmentRecord`
/// appends for `assignment` (false when the writer refuses it); when so, removes that
/// record from their front. Compares in place: the record is not written out unless a
/// value is of a kind other than a text, a path, an integer or a list of them.
bool matchAssignmentRecord(std::string_view& bytes, const Assignment& assignment);

}  // namespace Rilk
