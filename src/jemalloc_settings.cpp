// The allocator settings of the release program, compiled into it only where it is linked
// with jemalloc, which reads them at start-up (before `MALLOC_CONF`, which still overrides
// them).
//
// jemalloc gives every thread an arena of its own by default, up to four per core; the
// cache readers, unit readers and file-time threads of a run then each leave the pages of
// their own heap resident. One arena holds a large no-op build in the fewest pages: at
// 10,000 targets its peak is about 10% lower than with three arenas (32.5 against 36.2 MB),
// at 100,000 about 4% lower, for the same time at 1,000 and 10,000 targets and about 2%
// more at 100,000, measured in interleaved runs. The cache readers drop what they parse
// on their own thread, so they seldom reach the shared arena's lock.
extern "C" {
const char* malloc_conf = "narenas:1";
}
