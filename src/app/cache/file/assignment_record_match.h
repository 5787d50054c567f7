#pragma once

#include <cstring>
#include <string_view>

#include "types/assignment.h"

namespace Rilk {

/// Removes `expected` from the front of `rest` when it is there; tells whether it was.
/// Inline: a held record's check makes about a hundred of these per record, most with a
/// literal `expected` whose comparison then compiles to a few instructions.
inline bool takePrefix(std::string_view& rest, std::string_view expected) {
    if (rest.size() < expected.size()) return false;
    // An empty view may have no data at all, which memcmp must not be given.
    if (!expected.empty() && std::memcmp(rest.data(), expected.data(), expected.size()) != 0) {
        return false;
    }
    rest.remove_prefix(expected.size());
    return true;
}

/// Whether `bytes` begin with exactly the assignment record that `writeAssignmentRecord`
/// appends for `assignment` (false when the writer refuses it); when so, removes that
/// record from their front. Compares in place: the record is not written out unless a
/// value is of a kind other than a text, a path, an integer or a list of them.
///
/// Without `checkRefusals` the bytes must be known to be a record the writer gave: what
/// the writer refuses (an invalid name) or writes in another form (a text with no literal,
/// kept in the cache's own) is then not looked for, as bytes spelling it so are never the
/// writer's.
bool matchAssignmentRecord(std::string_view& bytes, const Assignment& assignment,
                           bool checkRefusals = true);

}  // namespace Rilk
