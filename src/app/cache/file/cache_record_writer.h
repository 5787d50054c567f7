#pragma once

#include <string>

#include "app/cache/record_contents.h"
#include "tools/work_item.h"

namespace Rilk {

/// Appends one record in the cache file's layout: its key, then `writeRecordContents`.
/// False, with `out` partly written, when a value cannot be kept exactly.
bool writeRecord(std::string& out, const std::string& key, const RecordContents& contents);

/// Appends what follows a record's key: its work items, each with the files its last build
/// read and the stamps of its files, and its context assignments (see `CacheFileVersion`). The record's bytes in a file written by `save`.
bool writeRecordContents(std::string& out, const RecordContents& contents);

/// Appends one work item's inputs (each with its intermediate) and outputs: its bytes up to
/// the files its last build read.
bool writeWorkItemParts(std::string& out, const WorkItem& item);

/// Appends the files a work item's last build read: 0 when not known, else their count + 1
/// and each as a sized string.
void writeFilesRead(std::string& out, const FilesRead& files);

/// Appends the stamps of a work item's files: 0 when not known, else their count + 1, the
/// time since which they are known and a stamp line each.
void writeFileStamps(std::string& out, const FileStamps& stamps);

/// Appends the context assignments with their count: a record's last bytes.
bool writeRecordContext(std::string& out, const RecordContents& contents);

}  // namespace Rilk
