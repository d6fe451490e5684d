// A file replaced through WriteFileAtomically is either the old one or the
// new one, never a mix, and a failure leaves nothing behind.
#include "bmp/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imaging/run_time_error.h"
#include "imaging/test_files.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace vx {
namespace {

using testing::ReadAll;
using testing::ScratchFolder;

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
  ScratchFolder folder;
  const auto bytes = Pattern(1270, 1);
  WriteFileAtomically(folder / "clan.bmp", bytes, "test");
  EXPECT_EQ(ReadAll(folder / "clan.bmp"), bytes);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

TEST(AtomicFileTest, ReplacesALongerFileWithoutAStaleTail) {
  ScratchFolder folder;
  folder.Write("clan.bmp", Pattern(5000, 2));
  const auto bytes = Pattern(1174, 3);
  WriteFileAtomically(folder / "clan.bmp", bytes, "test");
  EXPECT_EQ(ReadAll(folder / "clan.bmp"), bytes);
  WriteFileAtomically(folder / "clan.bmp", {}, "test");
  EXPECT_TRUE(ReadAll(folder / "clan.bmp").empty());
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

TEST(AtomicFileTest, MissingFolderIsPathNotFound) {
  ScratchFolder folder;
  EXPECT_EQ(ErrorNumberOf(folder / "no such folder" / "clan.bmp", Pattern(10, 0)), kErrPathNotFound);
  EXPECT_TRUE(folder.Entries().empty());
}

TEST(AtomicFileTest, FailedReplaceLeavesTheTargetAndNoTemporaryFile) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder / "clan.bmp");
  folder.Write(std::filesystem::path("clan.bmp") / "inside", Pattern(3, 0));
  EXPECT_NE(ErrorNumberOf(folder / "clan.bmp", Pattern(100, 0)), 0);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "clan.bmp"));
  EXPECT_EQ(ReadAll(folder / "clan.bmp" / "inside"), Pattern(3, 0));
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

TEST(AtomicFileTest, SeveralFilesAreWrittenTogether) {
  ScratchFolder folder;
  folder.Write("clan.bmp", Pattern(3000, 6));
  const auto ally = Pattern(1174, 7), clan = Pattern(1270, 8);
  const FileContent files[] = {{folder / "ally.bmp", ally}, {folder / "clan.bmp", clan}};
  WriteFilesAtomically(files, "test");
  EXPECT_EQ(ReadAll(folder / "ally.bmp"), ally);
  EXPECT_EQ(ReadAll(folder / "clan.bmp"), clan);
  auto entries = folder.Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"ally.bmp", "clan.bmp"}));
}

TEST(AtomicFileTest, WhenOneOfSeveralFilesCannotBeWrittenNoneIsChanged) {
  ScratchFolder folder;
  const auto old_clan = Pattern(3000, 9);
  folder.Write("clan.bmp", old_clan);
  const auto clan = Pattern(1270, 10), other = Pattern(10, 11);
  const FileContent files[] = {{folder / "clan.bmp", clan}, {folder / "gone" / "ally.bmp", other}};
  try {
    WriteFilesAtomically(files, "test");
    FAIL() << "no error";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number(), kErrPathNotFound);
  }
  EXPECT_EQ(ReadAll(folder / "clan.bmp"), old_clan);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}

#ifndef _WIN32
TEST(AtomicFileTest, FailedWriteLeavesTheOldFileAsItWas) {
  ScratchFolder folder;
  const auto old_bytes = Pattern(1270, 4);
  folder.Write("clan.bmp", old_bytes);

  // Let the process write no more than 100 bytes per file.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int number = ErrorNumberOf(folder / "clan.bmp", Pattern(1270, 5));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old_handler);

  EXPECT_EQ(number, kErrDeviceIO);
  EXPECT_EQ(ReadAll(folder / "clan.bmp"), old_bytes);
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"clan.bmp"});
}
#endif

}  // namespace
}  // namespace vx
