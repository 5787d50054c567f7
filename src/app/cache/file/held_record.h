#pragma once

#include <string_view>
#include <vector>

#include "app/cache/record_contents.h"

namespace Rilk {

/// Whether `held`, a record's bytes after its key, are exactly what the cache file's writer
/// gives for `contents` (`writeRecordContents`), the record as read from them. Checked in
/// place, without writing the record out.
bool recordHeldAsWritten(std::string_view held, const RecordContents& contents);

/// Whether the bytes `held` of a record held as bytes are exactly what the file's writer
/// gives for `plan`'s work items and context with what each work item's last build left
/// (the files it read and the stamps of its files), which a plan does not know: those of
/// the held record are then put in `lastBuilds`, one entry for each work item in order.
/// False when the plan itself holds any of them. The plan's values then equal the
/// record's. False too when `held` lies in a mapped file that lost pages under the read
/// (`Util::mappedBytesLost`).
bool heldRecordMatches(std::string_view held, const RecordContents& plan,
                       std::vector<LastBuild>& lastBuilds);
/// The contents of a record held as bytes, parsed as the file's reader parses them; none
/// (every planned work item is then stale) when they no longer read whole, as when the
/// mapped file they lie in lost pages under the read.
RecordContents readHeldRecord(std::string_view held);

}  // namespace Rilk
