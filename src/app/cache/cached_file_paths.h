#pragma once

#include <string>

#include "app/cache/record_contents.h"

namespace Rilk {

/// Appends to `paths` the full path texts of the path values in the work items of
/// `contents` (inputs, intermediates and outputs, within lists and nested blocks as the
/// cache comparison walks them) and the files their last builds read: the files whose
/// times a build that finds the record unchanged asks for. Each is appended as the file
/// time prefetch holds it (`addPathText`: absolute texts only, each ended by a NUL byte).
/// A path named twice is appended twice, but a file several work items read is appended
/// once: the objects of one target read mostly the same headers, hundreds each in C++.
void addCachedFilePaths(const RecordContents& contents, std::string& paths);

}  // namespace Rilk
