// A file replaced through WriteFileAtomically is either the old one or the
// new one, never a mix, and a failure leaves nothing behind.
#include "bmp/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/run_time_error.h"
#include "support/test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#endif

namespace vx {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

int ErrorNumberOf(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes) {
    try {
        WriteFileAtomically(target, bytes, "test");
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Source(), "test");
        return e.Number();
    }
    return 0;
}

TEST(AtomicFileTest, CreatesTheFileWithExactlyTheBytes) {
    TempFolder folder;
    const auto bytes = Pattern(1270, 1);
    WriteFileAtomically(folder / "clan.bmp", bytes, "test");
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp"), bytes);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

TEST(AtomicFileTest, ReplacesALongerFileWithoutAStaleTail) {
    TempFolder folder;
    folder.Write("clan.bmp", Pattern(5000, 2));
    const auto bytes = Pattern(1174, 3);
    WriteFileAtomically(folder / "clan.bmp", bytes, "test");
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp"), bytes);
    WriteFileAtomically(folder / "clan.bmp", {}, "test");
    EXPECT_TRUE(ReadFileBytes(folder / "clan.bmp").empty());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

TEST(AtomicFileTest, MissingFolderIsPathNotFound) {
    TempFolder folder;
    EXPECT_EQ(ErrorNumberOf(folder / "no such folder" / "clan.bmp", Pattern(10, 0)), kErrPathNotFound);
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(AtomicFileTest, FailedReplaceLeavesTheTargetAndNoTemporaryFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "clan.bmp");
    folder.Write(std::filesystem::path("clan.bmp") / "inside", Pattern(3, 0));
    EXPECT_NE(ErrorNumberOf(folder / "clan.bmp", Pattern(100, 0)), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "clan.bmp"));
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp" / "inside"), Pattern(3, 0));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

TEST(AtomicFileTest, SeveralFilesAreWrittenTogether) {
    TempFolder folder;
    folder.Write("clan.bmp", Pattern(3000, 6));
    const auto ally = Pattern(1174, 7), clan = Pattern(1270, 8);
    const FileContent files[] = {{folder / "ally.bmp", ally}, {folder / "clan.bmp", clan}};
    WriteFilesAtomically(files, "test");
    EXPECT_EQ(ReadFileBytes(folder / "ally.bmp"), ally);
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp"), clan);
    auto entries = folder.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"ally.bmp", "clan.bmp"}));
}

TEST(AtomicFileTest, WhenOneOfSeveralFilesCannotBeWrittenNoneIsChanged) {
    TempFolder folder;
    const auto oldClan = Pattern(3000, 9);
    folder.Write("clan.bmp", oldClan);
    const auto clan = Pattern(1270, 10), other = Pattern(10, 11);
    const FileContent files[] = {{folder / "clan.bmp", clan}, {folder / "gone" / "ally.bmp", other}};
    try {
        WriteFilesAtomically(files, "test");
        FAIL() << "no error";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Number(), kErrPathNotFound);
    }
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp"), oldClan);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

std::vector<std::string> SortedEntries(const TempFolder& folder) {
    auto entries = folder.Entries();
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The crest pair: ally.bmp is replaced first, then clan.bmp.
struct OldPair {
    explicit OldPair(const TempFolder& folder) : folder_(folder) {
        folder.Write("ally.bmp", ally);
        folder.Write("clan.bmp", clan);
    }
    int Replace() const {
        const auto newAlly = Pattern(1174, 14), newClan = Pattern(1270, 15);
        const FileContent files[] = {{folder_ / "ally.bmp", newAlly}, {folder_ / "clan.bmp", newClan}};
        try {
            WriteFilesAtomically(files, "test");
        } catch (const FileWriteError& e) {
            failedTarget = e.Target();
            return e.Number();
        }
        return 0;
    }
    void ExpectUnchanged() const {
        EXPECT_EQ(ReadFileBytes(folder_ / "ally.bmp"), ally);
        EXPECT_EQ(ReadFileBytes(folder_ / "clan.bmp"), clan);
        EXPECT_EQ(SortedEntries(folder_), (std::vector<std::string>{"ally.bmp", "clan.bmp"}));
    }

    const TempFolder& folder_;
    mutable std::filesystem::path failedTarget;  // what the last Replace reported
    const std::vector<std::uint8_t> ally = Pattern(1174, 12), clan = Pattern(1270, 13);
};

TEST(AtomicFileTest, AReadOnlyTargetIsRefusedWithNothingChanged) {
    TempFolder folder;
    OldPair pair(folder);
    std::filesystem::permissions(folder / "clan.bmp", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(pair.Replace(), kErrPermissionDenied);
    EXPECT_EQ(pair.failedTarget, folder / "clan.bmp");
    std::filesystem::permissions(folder / "clan.bmp", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    pair.ExpectUnchanged();
}

#ifdef _WIN32
TEST(AtomicFileTest, ALockedSecondTargetPutsTheFirstBack) {
    TempFolder folder;
    OldPair pair(folder);
    {
        // A running game may hold the crest open without sharing.
        HANDLE lock = CreateFileW((folder / "clan.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        EXPECT_EQ(pair.Replace(), kErrPermissionDenied);
        EXPECT_EQ(pair.failedTarget, folder / "clan.bmp");
        CloseHandle(lock);
    }
    pair.ExpectUnchanged();
}

TEST(AtomicFileTest, ANewFileIsRemovedWhenTheSaveFails) {
    TempFolder folder;
    const auto clan = Pattern(1270, 13);
    folder.Write("clan.bmp", clan);
    HANDLE lock = CreateFileW((folder / "clan.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const auto newAlly = Pattern(1174, 14), newClan = Pattern(1270, 15);
    const FileContent files[] = {{folder / "ally.bmp", newAlly}, {folder / "clan.bmp", newClan}};
    EXPECT_THROW(WriteFilesAtomically(files, "test"), RunTimeError);
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp"), clan);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}
#else
// A write cut short by the limit is a full disk, not a device error.
TEST(AtomicFileTest, FailedWriteIsDiskFullAndLeavesTheOldFileAsItWas) {
    TempFolder folder;
    const auto oldBytes = Pattern(1270, 4);
    folder.Write("clan.bmp", oldBytes);

    // Let the process write no more than 100 bytes per file.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int number = ErrorNumberOf(folder / "clan.bmp", Pattern(1270, 5));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(number, kErrDiskFull);
    EXPECT_EQ(ReadFileBytes(folder / "clan.bmp"), oldBytes);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}
#endif

TEST(AtomicFileTest, ReplacingLeavesNoBackupBehind) {
    TempFolder folder;
    OldPair pair(folder);
    EXPECT_EQ(pair.Replace(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "ally.bmp"), Pattern(1174, 14));
    EXPECT_EQ(SortedEntries(folder), (std::vector<std::string>{"ally.bmp", "clan.bmp"}));
}

}  // namespace
}  // namespace vx
