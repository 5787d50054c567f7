#pragma once

#include <cstddef>
#include <string_view>

namespace Util {

/// A range of mapped file bytes whose reads never end the process: see `guardMapping`.
struct GuardedRange;

/// Guards the reads of `size` bytes mapped at `data` from a file that another process may
/// cut short while they are read. Reading a page past the file's new end raises SIGBUS;
/// a process-wide handler (installed at the first call, chaining to the one before it
/// for any other SIGBUS) then maps pages of zero bytes over the range from that page on
/// and marks the range lost, and the read goes on, reading zeros. A reader of such bytes
/// must therefore take zero bytes for damage, and ask `rangeLost` (or `mappedBytesLost`)
/// once it is done before trusting what it read. Costs no system call but at the first
/// call; the handler is async-signal-safe and serves every thread. Never null.
GuardedRange* guardMapping(const void* data, std::size_t size);

/// Ends the guard of `range`; call before the bytes are unmapped.
void unguardMapping(GuardedRange* range);

/// Whether pages of `range` were lost (replaced by zero bytes) since it was guarded.
bool rangeLost(const GuardedRange* range);

/// Whether `bytes` lie in a guarded range that lost pages: `rangeLost` for whoever holds
/// only the bytes. No system call; a single atomic load while no page was ever lost.
bool mappedBytesLost(std::string_view bytes);

}  // namespace Util
