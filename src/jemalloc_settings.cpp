// The allocator settings of the release program, compiled into it only where it is linked
// with jemalloc, which reads them at start-up (before `MALLOC_CONF`, which still overrides
// them).
//
// jemalloc gives every thread an arena of its own by default, up to four per core; the
// cache readers, unit readers and file-time threads of a run then each leave the pages of
// their own heap resident. Three arenas hold a large no-op build's records and model in
// fewer pages (about 2 MB less at 10,000 targets, 6 MB at 100,000) at no cost in time,
// measured in interleaved runs; one arena was slower at 100,000 targets, its lock shared by
// every reader thread.
extern "C" {
const char* malloc_conf = "narenas:3";
}
