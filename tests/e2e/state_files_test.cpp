// The files rilk keeps for itself when they are not what they seem: links in their place
// are never written through, and the record of a killed run removes nothing but this
// project's outputs as it recorded them.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "e2e/system_toolchain_project.h"

namespace {

using RilkTest::readFile;

namespace fs = std::filesystem;

class StateFiles : public SystemToolchainProject {
protected:
    fs::path journal() const { return work.path() / ".rilk_journal"; }
};

TEST_F(StateFiles, ALinkInPlaceOfAStateFileIsReplacedOrRefusedNeverWrittenThrough) {
    const fs::path cacheDir = home.path() / ".cache/rilk";
    const fs::path links[] = {work.path() / ".rilk_cache", work.path() / ".rilk_journal",
                              cacheDir / "compiler_probes", cacheDir / "compiler_scans"};
    fs::create_directories(cacheDir);
    for (const fs::path& link : links) {
        home.write("notes/" + link.filename().string(), "my notes\n");
        fs::create_symlink(home.path() / "notes" / link.filename(), link);
    }
    home.write("notes/lock", "my notes\n");
    fs::create_symlink(home.path() / "notes/lock", work.path() / ".rilk_lock");

    const auto refused = rilk({});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "Error: The lock file '" + dir() +
                               "/.rilk_lock' is a symbolic link; rilk does not write through "
                               "it. Remove it and run again.\n");
    EXPECT_FALSE(fs::exists(work.path() / "out.txt"));

    fs::remove(work.path() / ".rilk_lock");
    const fs::path registryLock = home.path() / ".config/rilk/.rilk_registry.txt.lock";
    fs::create_symlink(home.path() / "notes/lock", registryLock);
    const auto registry = rilk({"--find-compilers"});
    EXPECT_EQ(registry.exitCode, 1);
    EXPECT_EQ(registry.out, "Error: The lock file '" + registryLock.string() +
                                "' is a symbolic link; rilk does not write through it. Remove "
                                "it and run again.\n");
    fs::remove(registryLock);
    const auto result = rilk({});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("Removed the symbolic link '" + dir() + "/.rilk_journal'"),
              std::string::npos)
        << result.out;
    for (const fs::path& link : links) {
        EXPECT_EQ(readFile(home.path() / "notes" / link.filename()), "my notes\n") << link;
        EXPECT_FALSE(fs::is_symlink(link)) << link;
    }
    EXPECT_TRUE(fs::is_regular_file(work.path() / ".rilk_cache"));
    EXPECT_TRUE(fs::is_regular_file(cacheDir / "compiler_probes"));
    EXPECT_EQ(readFile(home.path() / "notes/lock"), "my notes\n");
}

TEST_F(StateFiles, AKilledRunsRecordRemovesOnlyThisProjectsOutputsInTheirRecordedFolder) {
    RilkTest::TempDir elsewhere;
    elsewhere.write("victim.txt", "keep me\n");
    const std::string victim = (elsewhere.path() / "victim.txt").string();
    struct stat folder {};
    ASSERT_EQ(::stat(work.path().c_str(), &folder), 0);
    const std::string here = std::to_string(folder.st_dev) + " " + std::to_string(folder.st_ino);
    const struct {
        std::string journal;  ///< the whole record
        std::string kept;     ///< the file that must stay
        std::string message;  ///< what the run says of it
    } cases[] = {
        // Zero identity fields, in this form and in the older one.
        {"rilk run journal 2\n0 0 0 0 0 0 0 0 " + std::to_string(victim.size()) + " " + victim +
             "\n",
         victim, "Left '" + victim + "' as it is: the record of the killed run names it, but "
                 "it lies outside this project.\n"},
        {"rilk run journal 1\n0 0 0 0 0 0 " + std::to_string(victim.size()) + " " + victim + "\n",
         victim, "cannot be read: building everything again.\n"},
        // The right folder identity, but another project's folder.
        {"rilk run journal 2\n0 0 0 0 0 0 " + here + " " + std::to_string(victim.size()) + " " +
             victim + "\n",
         victim, "it lies outside this project.\n"},
        // Inside the project, in a folder that is not the one recorded.
        {"rilk run journal 2\n0 0 0 0 0 0 1 2 " + std::to_string(dir().size() + 7) + " " +
             dir() + "/in.txt\n",
         dir() + "/in.txt", "in a folder that is not the one the run wrote to.\n"},
    };
    for (const auto& c : cases) {
        write({{".rilk_journal", c.journal}});
        const auto result = rilk({});
        EXPECT_EQ(result.exitCode, 0) << c.journal;
        EXPECT_TRUE(fs::exists(c.kept)) << c.journal << result.out;
        EXPECT_NE(result.out.find(c.message), std::string::npos) << result.out;
        EXPECT_FALSE(fs::exists(journal()));
    }
    // The folder the record names: the file the killed run wrote is removed.
    write({{"half.o", "part"}});
    write({{".rilk_journal", "rilk run journal 2\n0 0 0 0 0 0 " + here + " " +
                                 std::to_string(dir().size() + 7) + " " + dir() + "/half.o\n"}});
    EXPECT_EQ(rilk({}).exitCode, 0);
    EXPECT_FALSE(fs::exists(work.path() / "half.o"));
}

TEST_F(StateFiles, AJournalThatIsNoRegularFileOrADanglingLinkIsNamed) {
    ASSERT_EQ(rilk({}).exitCode, 0);
    const struct {
        const char* kind;
        std::function<void(const fs::path&)> make;
    } cases[] = {
        {"a directory", [](const fs::path& file) { fs::create_directory(file); }},
        {"a FIFO", [](const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }},
        {"a socket",
         [](const fs::path& file) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             ASSERT_LT(file.native().size(), sizeof address.sun_path) << file;
             std::strcpy(address.sun_path, file.c_str());
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        c.make(journal());
        const auto refused = rilk({});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.out, "Error: '" + dir() + "/.rilk_journal' is " + c.kind +
                                   ", where rilk keeps the record of a running build. Remove or "
                                   "rename it and run again.\n");
        EXPECT_TRUE(fs::exists(work.path() / ".rilk_cache")) << "the cache is kept";
        EXPECT_TRUE(fs::exists(fs::symlink_status(journal()))) << "nothing is removed";
        fs::remove(journal());
    }

    fs::create_symlink(work.path() / "nowhere", journal());
    const auto dangling = rilk({"-v", "6"});
    EXPECT_EQ(dangling.exitCode, 0);
    EXPECT_EQ(dangling.out, "Removed the symbolic link '" + dir() +
                                "/.rilk_journal': rilk keeps the record of a running build "
                                "there and does not follow a link to it.\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(journal())));
    EXPECT_FALSE(fs::exists(work.path() / "nowhere"));
}

}  // namespace
