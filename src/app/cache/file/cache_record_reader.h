#pragma once

#include <optional>
#include <string_view>

#include "app/cache/file/cache_assignment_memo.h"
#include "app/cache/file/cache_file_format.h"
#include "app/cache/file/cache_record_layout.h"
#include "app/cache/record_contents.h"

namespace Rilk {

/// Reads one record of a cache file. A structural defect returns false with `part` naming
/// what was being read; an assignment whose text cannot be read only marks the record
/// `damaged`.
///
/// A reader that does not `interpret` walks the same structure without reading the
/// assignment texts and fills nothing: it finds where a record ends (and whether its
/// structure is whole) far more cheaply, consuming exactly the bytes a full read does.
class CacheRecordReader {
public:
    /// A reader that interprets reads the assignment texts through `memo` when one is
    /// given, sharing the values of repeated texts.
    CacheRecordReader(CacheInput& in, CacheFileVersion version, bool interpret,
                      CacheAssignmentMemo* memo = nullptr)
        : in_(in), version_(version), interpret_(interpret), memo_(memo) {}

    bool read(std::string_view& key, RecordContents& contents);
    /// `read` of what follows a record's key.
    bool readContents(RecordContents& contents);

    bool damaged = false;
    const char* part = "";

private:
    bool step(const char* what, bool ok) {
        part = what;
        return ok;
    }
    bool readAssignment(const char* what, std::optional<Assignment>& assignment);
    bool readInput(WorkItem& item);
    bool readWorkItem(WorkItem& item);
    bool readDependencies(WorkItem& item);
    bool readStamps(WorkItem& item);

    CacheInput& in_;
    CacheFileVersion version_;
    bool interpret_;
    CacheAssignmentMemo* memo_;
};

}  // namespace Rilk
