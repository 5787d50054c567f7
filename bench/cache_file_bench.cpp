// Loading and saving the build cache file of a no-op project. bench/compare.py (case 5)
// builds its 1,000- and 10,000-target copy projects with rilk and runs these benchmarks on
// each project's cache file, named by RILK_BENCH_CACHE_FILE.
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "app/cache/file/build_cache.h"

namespace {

std::filesystem::path cacheFile() {
    const char* file = std::getenv("RILK_BENCH_CACHE_FILE");
    return file == nullptr ? std::filesystem::path() : std::filesystem::path(file);
}

std::string bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Reads the file from disk into the records, as a run does before it builds.
void BM_CacheLoad(benchmark::State& state) {
    const std::filesystem::path file = cacheFile();
    if (file.empty()) {
        state.SkipWithError("RILK_BENCH_CACHE_FILE names no cache file");
        return;
    }
    std::size_t records = 0;
    for (auto _ : state) {
        auto cache = std::make_unique<Rilk::BuildCache>(file);
        cache->load();
        records = cache->size();
        // A run never frees its cache (the process ends with it), so neither does the
        // timed part here.
        state.PauseTiming();
        cache.reset();
        state.ResumeTiming();
        if (records == 0) {
            state.SkipWithError("the cache file holds no records");
            return;
        }
    }
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_CacheLoad)->Unit(benchmark::kMillisecond);

/// Writes the records of the file to a copy beside it, replacing the copy whole each time,
/// as a run does after a build that stored a record (one new record is added first: a cache
/// that holds just what its file holds is not written at all).
void BM_CacheSave(benchmark::State& state) {
    const std::filesystem::path file = cacheFile();
    if (file.empty()) {
        state.SkipWithError("RILK_BENCH_CACHE_FILE names no cache file");
        return;
    }
    const std::string bytes = bytesOf(file);
    Rilk::BuildCache cache(file.parent_path() / ".rilk_cache.bench");
    cache.loadBytes(bytes);
    cache.upsert("bench::changed", Rilk::RecordContents(), 0);
    for (auto _ : state) cache.save();
    state.counters["records"] = static_cast<double>(cache.size());
    std::filesystem::remove(cache.path());
}
BENCHMARK(BM_CacheSave)->Unit(benchmark::kMillisecond);

}  // namespace
