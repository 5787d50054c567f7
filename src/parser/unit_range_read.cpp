// Reading a large unit file in ranges on several threads, each range by a fast reader of
// its own into a unit of its own; the units are merged afterwards. `readUnitFast` chooses
// this read for a large text and the one-thread read for everything else.
//
// Why the ranges give the one-thread read's unit: a range is lexed on its own, so each of
// its tokens closes inside it. Every cut follows a line break and starts a word, so no
// token of the whole text ends at a cut other than where the range ends, and none runs
// across it: such a token would not close in the range, and its range would not be read. A
// range read to its end has lexed exactly the tokens the whole text holds there, and as the
// lexer carries nothing from one token to the next, the next range starts at a token of the
// whole text (and so do the first range's targets, after the `unit` line). The reader, too,
// carries nothing from one target to the next but the unit name, so the targets are the
// ones a one-thread read makes. As long as no name comes twice, merging the ranges' units
// gives the unit that adding them one by one gives, its default target the first one of
// the text.
#include "parser/unit_range_read.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "parser/fast_unit_reader.h"
#include "parser/unit_split.h"
#include "util/freed_memory.h"

namespace Rilk {
namespace {

/// Texts from this size on are read on several threads; below it starting them costs more
/// than they save.
constexpr std::size_t kSplitFrom = 256 * 1024;

/// The most threads a text is read on, the calling thread included.
constexpr unsigned kMaxReadThreads = 4;

/// Ranges a text is cut into per thread: the threads take them one by one, so that one that
/// starts late, with every core busy, leaves its share to the others.
constexpr unsigned kRangesPerThread = 2;

/// One range of the text, read by whichever thread takes it into a unit of its own.
struct RangeRead {
    std::string_view text;
    Unit unit;
    bool read = false;
};

/// Ranges handed out one at a time to whichever thread asks next.
class RangeQueue {
public:
    RangeQueue(std::vector<RangeRead>& ranges, const std::string& unitName,
               const std::filesystem::path& baseDirectory)
        : ranges_(ranges), unitName_(unitName), baseDirectory_(baseDirectory) {}

    /// Reads ranges until none is left; nothing leaves the thread but the ranges it read.
    void readAll() noexcept {
        for (std::size_t i = next_++; i < ranges_.size(); i = next_++) {
            RangeRead& range = ranges_[i];
            range.read = readUnitTargetsFast(range.text, baseDirectory_, unitName_, range.unit);
        }
    }

private:
    std::vector<RangeRead>& ranges_;
    const std::string& unitName_;
    const std::filesystem::path& baseDirectory_;
    std::atomic<std::size_t> next_ = 0;
};

}  // namespace

UnitPtr readUnitInRanges(std::string_view text, const std::filesystem::path& baseDirectory,
                         const std::vector<std::size_t>& cuts, unsigned helpers) {
    const std::string_view first = text.substr(0, cuts.front());
    const std::optional<FastUnitHeader> header = readUnitHeaderFast(first);
    if (!header) return nullptr;
    std::vector<RangeRead> ranges(cuts.size());
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const std::size_t end = i + 1 < cuts.size() ? cuts[i + 1] : text.size();
        ranges[i].text = text.substr(cuts[i], end - cuts[i]);
    }
    try {
        auto unit = std::make_shared<Unit>();
        unit->name = header->name;
        RangeQueue queue(ranges, header->name, baseDirectory);
        bool firstRead = false;
        {
            // Joined when left.
            std::vector<std::jthread> threads;
            threads.reserve(helpers);
            while (threads.size() < helpers && threads.size() < ranges.size()) {
                threads.emplace_back([&queue] { queue.readAll(); });
            }
            firstRead = readUnitTargetsFast(first.substr(header->end), baseDirectory,
                                            header->name, *unit);
            queue.readAll();
        }
        if (!firstRead) return nullptr;
        for (RangeRead& range : ranges) {
            if (!range.read) return nullptr;
            if (unit->defaultTarget.empty()) unit->defaultTarget = range.unit.defaultTarget;
            unit->targets.merge(range.unit.targets);
            // A target left behind has a name the unit already holds, which the one-thread
            // read refuses.
            if (!range.unit.targets.empty()) return nullptr;
        }
        return unit;
    } catch (...) {
        // A thread that cannot be started, or memory that runs out: the one-thread read.
        return nullptr;
    }
}

UnitPtr readUnitFast(std::string_view text, const std::filesystem::path& baseDirectory) {
    if (text.size() < kSplitFrom) return readWholeUnitFast(text, baseDirectory);
    const unsigned cores = std::thread::hardware_concurrency();
    return readUnitFast(text, baseDirectory, kSplitFrom,
                        cores < kMaxReadThreads ? cores : kMaxReadThreads);
}

namespace {

/// Reads `text` in ranges where it is large enough and there are threads for it; null when
/// the one-thread read has to decide.
UnitPtr readSplit(std::string_view text, const std::filesystem::path& baseDirectory,
                  std::size_t splitFrom, unsigned threads) {
    if (text.size() >= splitFrom && threads > 1) {
        const std::vector<std::size_t> cuts = unitCuts(text, kRangesPerThread * threads);
        if (!cuts.empty()) return readUnitInRanges(text, baseDirectory, cuts, threads - 1);
    }
    return nullptr;
}

unsigned readThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores < kMaxReadThreads ? cores : kMaxReadThreads;
}

}  // namespace

UnitPtr readUnitFast(std::string_view text, const std::filesystem::path& baseDirectory,
                     FastDecline& decline) {
    if (text.size() >= kSplitFrom) {
        if (UnitPtr unit = readSplit(text, baseDirectory, kSplitFrom, readThreads())) return unit;
        // The ranges' units, built on other threads, are not held beside the next read's.
        Util::releaseFreedMemory();
    }
    return readWholeUnitFast(text, baseDirectory, decline);
}

UnitPtr readUnitFast(std::string_view text, const std::filesystem::path& baseDirectory,
                     std::size_t splitFrom, unsigned threads) {
    if (text.size() >= splitFrom && threads > 1) {
        const std::vector<std::size_t> cuts = unitCuts(text, kRangesPerThread * threads);
        if (!cuts.empty()) {
            if (UnitPtr unit = readUnitInRanges(text, baseDirectory, cuts, threads - 1)) {
                return unit;
            }
        }
    }
    return readWholeUnitFast(text, baseDirectory);
}

}  // namespace Rilk
