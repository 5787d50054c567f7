#pragma once

#include <string_view>

// Sanitizer builds free every object of a run before the process ends, so that their leak
// checks see every object; every other build leaves them to the end of the process.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define RILK_TEAR_DOWN_AT_EXIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define RILK_TEAR_DOWN_AT_EXIT 1
#endif
#endif

namespace Rilk {

/// One run of the program, from its command line to its exit status: reads the options,
/// then runs the one-shot mode they ask for or loads the workspace and builds the main
/// target. Every failure is reported here ("Error: ..." and the like) and gives exit
/// status 1. Without RILK_TEAR_DOWN_AT_EXIT the objects of the run are left to the end of
/// the process, which the caller should then reach through `std::_Exit`.
int runRilk(int argc, char** argv);

}  // namespace Rilk
