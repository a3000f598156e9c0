#include "core/io/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace quillwen::io {
namespace {

using quillwen::testing::TempDir;

// Whether another process gets `file` exclusively, without waiting.
bool AnotherProcessGetsIt(const std::filesystem::path& file) {
  const pid_t child = ::fork();
  if (child == 0) _exit(FileLock::Exclusive(file, false).Held() ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileLockTest, AnExclusiveHoldKeepsOthersOutUntilReleased) {
  TempDir dir;
  const std::filesystem::path file = dir / "lock";
  FileLock held = FileLock::Exclusive(file, false);
  ASSERT_TRUE(held.Held()) << held.Error();
  EXPECT_FALSE(AnotherProcessGetsIt(file));
  // Within the process a second descriptor is kept out too.
  const FileLock second = FileLock::Exclusive(file, false);
  EXPECT_FALSE(second.Held());
  EXPECT_TRUE(second.Busy());
  EXPECT_EQ(second.Error(), file.string() + ": held by another process");
  held.Release();
  EXPECT_TRUE(AnotherProcessGetsIt(file));
}

TEST(FileLockTest, SharedHoldsKeepAWriterOut) {
  TempDir dir;
  const std::filesystem::path file = dir / "lock";
  // No file: nothing to wait for, nothing held.
  EXPECT_FALSE(FileLock::Shared(file).Held());
  ASSERT_TRUE(FileLock::Exclusive(file, false).Held());
  const FileLock reader = FileLock::Shared(file);
  const FileLock another = FileLock::Shared(file);
  EXPECT_TRUE(reader.Held());
  EXPECT_TRUE(another.Held());
  EXPECT_FALSE(AnotherProcessGetsIt(file));
}

TEST(FileLockTest, AFolderThatCannotHoldTheFileSaysWhy) {
  TempDir dir;
  const FileLock lock = FileLock::Exclusive(dir / "missing" / "lock", true);
  EXPECT_FALSE(lock.Held());
  EXPECT_FALSE(lock.Busy());
  EXPECT_EQ(lock.Error(), (dir / "missing" / "lock").string() +
                              ": cannot be created (No such file or directory)");
}

}  // namespace
}  // namespace quillwen::io
