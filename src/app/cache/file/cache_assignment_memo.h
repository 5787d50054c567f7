#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/cache/file/cache_file_format.h"
#include "types/assignment.h"

namespace Rilk {

/// The assignments of one cache file's records, kept by their text so that a text met again
/// gives a copy sharing the value object made the first time, without reading the text anew.
/// Most records repeat the same implicit variables word for word, and the records read from
/// a file are only compared, hashed and written, never changed in place (a stored record
/// replaces them whole), so sharing their values changes nothing the reader's callers see.
///
/// Only plain values are shared: strings, raw strings, paths, integers and no value at all.
/// A list or block, and a text that does not read, is read anew each time it comes.
///
/// The texts are viewed in the file's bytes, which must outlive the memo. A memo belongs to
/// one thread.
class CacheAssignmentMemo {
public:
    /// What `readRecordAssignment(fields)` gives.
    std::optional<Assignment> read(const AssignmentRecordFields& fields);

private:
    struct Entry {
        std::string_view text;
        long long type = 0;
        long long modifier = 0;
        std::optional<Assignment> assignment;
    };

    /// A fixed table, one entry per hash slot: a text whose slot another text took is read
    /// again and takes the slot back. The repeated texts of a record are few.
    static constexpr std::size_t kSlots = 256;

    static std::size_t slotOf(const AssignmentRecordFields& fields);
    static bool shareable(const Assignment& assignment);

    std::array<Entry, kSlots> entries_;
};

}  // namespace Rilk
