// Reads of a mapped file cut short under them read zero bytes and mark the mapping lost, on
// every thread that meets the cut; a SIGBUS anywhere else goes where it went before.
#include "util/mapping_guard.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "util/mapped_file.h"

namespace {

const std::size_t kPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));

TEST(MappingGuard, PagesCutAwayReadAsZerosAndMarkTheMappingLost) {
    const struct {
        const char* name;
        std::size_t kept;
    } cases[] = {{"emptied", 0}, {"shortened within a page", kPage + 10}, {"kept", 4 * kPage}};
    RilkTest::TempDir dir;
    const auto other = Util::MappedFile::open(dir.write("other", std::string(kPage, 'y')));
    ASSERT_TRUE(other);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = dir.write("mapped", std::string(4 * kPage, 'x'));
        const auto mapped = Util::MappedFile::open(file);
        ASSERT_TRUE(mapped);
        // A guard ended and taken again starts whole.
        EXPECT_FALSE(mapped->pagesLost());
        if (c.kept < 4 * kPage) {
            ASSERT_EQ(::truncate(file.c_str(), static_cast<off_t>(c.kept)), 0);
        }

        // One page a thread, as the cache's chunk readers read.
        const std::string_view bytes = mapped->bytes();
        std::vector<std::string> read(4);
        std::vector<std::thread> readers;
        for (std::size_t i = 0; i < 4; ++i) {
            readers.emplace_back([&, i] { read[i] = std::string(bytes.substr(i * kPage, kPage)); });
        }
        for (std::thread& reader : readers) reader.join();
        std::string expected(4 * kPage, '\0');
        expected.replace(0, c.kept, c.kept, 'x');
        EXPECT_EQ(read[0] + read[1] + read[2] + read[3], expected);

        const bool cut = c.kept < bytes.size();
        EXPECT_EQ(mapped->pagesLost(), cut);
        EXPECT_EQ(Util::mappedBytesLost(bytes.substr(0, 1)), cut);
        EXPECT_EQ(mapped->unchanged(), !cut);
        EXPECT_FALSE(other->pagesLost());
        EXPECT_FALSE(Util::mappedBytesLost(other->bytes()));
        EXPECT_FALSE(Util::mappedBytesLost(c.name));
    }
}

TEST(MappingGuardDeathTest, ASigbusOutsideEveryGuardedMappingEndsTheProcessAsBefore) {
    RilkTest::TempDir dir;
    const auto guarded = Util::MappedFile::open(dir.write("guarded", std::string(kPage, 'x')));
    ASSERT_TRUE(guarded);
    const auto file = dir.write("unguarded", std::string(2 * kPage, 'x'));
    auto readCutPage = [&] {
        const int fd = ::open(file.c_str(), O_RDONLY);
        const auto* raw = static_cast<const volatile char*>(
            ::mmap(nullptr, 2 * kPage, PROT_READ, MAP_PRIVATE, fd, 0));
        if (::ftruncate(::open(file.c_str(), O_WRONLY), 0) != 0) std::_Exit(2);
        std::_Exit(raw[kPage]);
    };
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer's own handler, which was there first, reports it.
    EXPECT_DEATH(readCutPage(), "AddressSanitizer: BUS");
#else
    EXPECT_EXIT(readCutPage(), testing::KilledBySignal(SIGBUS), "");
#endif
}

}  // namespace
