#pragma once

#include <string_view>

#include "app/cache/record_contents.h"

namespace Rilk {

/// Whether `held`, a record's bytes after its key, are exactly what the cache file's writer
/// gives for `contents` (`writeRecordContents`), the record as read from them. Checked in
/// place, without writing the record out.
bool recordHeldAsWritten(std::string_view held, const RecordContents& contents);

}  // namespace Rilk
