#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "platform/posix_env.h"
#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::FileExists;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(EnvFilesTest, OpenModesReadWriteAppendAtPositions) {
  TempDir dir;
  TestEnv env(dir.path());
  {
    auto f = env.Open("A.TXT", OpenMode::kWrite);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->Write("hello"));
    EXPECT_TRUE(f->WriteAt(1, "EL"));
    EXPECT_EQ(f->Size(), 5);
  }
  EXPECT_EQ(ReadFileBytes(dir.Path("A.TXT")), "hELlo");
  {
    auto f = env.Open("a.txt", OpenMode::kAppend);  // the existing file, whatever its case
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->Write("\r\n"));
  }
  EXPECT_EQ(ReadFileBytes(dir.Path("A.TXT")), "hELlo\r\n");
  {
    auto f = env.Open("A.TXT", OpenMode::kReadWrite);
    ASSERT_NE(f, nullptr);
    char buf[4] = {};
    EXPECT_EQ(f->ReadAt(3, buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "lo\r\n");
    EXPECT_EQ(f->ReadAt(6, buf, 4), 1);  // short read at the end
    EXPECT_EQ(f->ReadAt(60, buf, 4), 0);
    EXPECT_TRUE(f->Truncate(2));
  }
  EXPECT_EQ(ReadFileBytes(dir.Path("A.TXT")), "hE");
  EXPECT_EQ(env.Open("A.TXT", OpenMode::kCreateNew), nullptr);
  EXPECT_EQ(env.FileSize("A.TXT"), 2);
}

TEST(EnvFilesTest, ExistsDeleteRenameDirectories) {
  TempDir dir;
  TestEnv env(dir.path());
  WriteFileBytes(dir.Path("Sub/One"), "1");
  EXPECT_TRUE(env.Exists("SUB\\ONE"));
  EXPECT_TRUE(env.IsDirectory("sub"));
  EXPECT_FALSE(env.IsDirectory("sub\\one"));
  EXPECT_EQ(env.Open("sub", OpenMode::kRead), nullptr);  // a directory is not a file
  EXPECT_FALSE(env.LastError().empty());
  EXPECT_TRUE(env.Rename("sub\\one", "sub\\Two"));
  EXPECT_EQ(ReadFileBytes(dir.Path("Sub/Two")), "1");
  EXPECT_TRUE(env.Delete("SUB\\TWO"));
  EXPECT_FALSE(env.Exists("sub\\two"));
  EXPECT_FALSE(env.Delete("sub\\two"));
  EXPECT_EQ(env.FileSize("nothing"), -1);
  FileStamp before, after;
  WriteFileBytes(dir.Path("Sub/s"), "1");
  ASSERT_TRUE(env.Stamp("sub\\s", &before));
  WriteFileBytes(dir.Path("Sub/s.new"), "22");
  ASSERT_TRUE(env.Rename("sub\\s.new", "sub\\s"));
  ASSERT_TRUE(env.Stamp("sub\\s", &after));
  EXPECT_NE(before, after);  // a replaced file is another file
  EXPECT_EQ(after.size, 2);
  EXPECT_FALSE(env.Stamp("nothing", &after));
  EXPECT_TRUE(env.CreateDirectory("NEW"));
  EXPECT_TRUE(env.ChangeDirectory("new"));
  WriteFileBytes(dir.Path("NEW/f"), "");
  std::vector<std::string> names;
  EXPECT_TRUE(env.ListDirectory("", &names));
  EXPECT_EQ(names, std::vector<std::string>{"f"});
  EXPECT_FALSE(env.ChangeDirectory("missing"));
  EXPECT_EQ(env.CurrentDirectory(), dir.path() + "/NEW");
}

TEST(EnvFilesTest, OnlyRegularFilesOpen) {
  TempDir dir;
  TestEnv env(dir.path());
  // A FIFO in a file's place must neither block the open nor be read; a
  // device must not flood the reader.
  ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0666), 0);
  std::filesystem::create_symlink("/dev/zero", dir.Path("zero"));
  for (const char* name : {"fifo", "zero"}) {
    for (OpenMode mode : {OpenMode::kRead, OpenMode::kWrite, OpenMode::kReadWrite}) {
      EXPECT_EQ(env.Open(name, mode), nullptr) << name;
      EXPECT_FALSE(env.LastError().empty()) << name;
    }
  }
}

TEST(EnvLockTest, SecondLockOnTheSamePathWaitsForTheFirst) {
  TempDir dir;
  PosixEnv env;
  auto first = env.TryLock(dir.path());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(env.TryLock(dir.path()), nullptr);
  first.reset();
  EXPECT_NE(env.TryLock(dir.path()), nullptr);
}

TEST(TestEnvTest, VirtualClockScriptedRandomAndEnvironment) {
  TempDir dir;
  TestEnv env(dir.path());
  const int64_t start = env.NowMillis();
  env.SleepMillis(3000);
  env.SleepMillis(-5);
  EXPECT_EQ(env.NowMillis() - start, 3000);
  EXPECT_EQ(env.Sleeps(), (std::vector<int64_t>{3000, 0}));
  const CivilTime t = env.LocalTime();
  EXPECT_EQ(t.year, 2026);
  EXPECT_EQ(t.hour, 9);
  EXPECT_EQ(t.second, 3);

  env.ScriptRandom({7, 13});
  EXPECT_EQ(env.Random(), 7u);
  EXPECT_EQ(RandomBelow(env, 10), 3u);
  std::set<uint32_t> seen;
  for (int i = 0; i < 200; ++i) seen.insert(RandomBelow(env, 10));
  EXPECT_EQ(seen.size(), 10u);  // the fallback sequence covers every digit

  EXPECT_EQ(env.GetEnv("ZULROOT"), "");
  env.SetEnv("ZULROOT", "C:\\NURI\\");
  EXPECT_EQ(env.GetEnv("ZULROOT"), "C:\\NURI\\");
}

TEST(TestEnvTest, RecordsProcessesAndInjectsFailures) {
  TempDir dir;
  TestEnv env(dir.path());
  env.SetProcessHandler(
      [](const std::vector<std::string>& argv) { return argv.size() == 2 ? 3 : 0; });
  EXPECT_EQ(env.RunProcess({"C:\\NURI\\ZULPRINT", "x"}), 3);
  ASSERT_EQ(env.StartedProcesses().size(), 1u);
  EXPECT_EQ(env.StartedProcesses()[0][0], "C:\\NURI\\ZULPRINT");

  WriteFileBytes(dir.Path("a"), "1");
  env.FailOperation(EnvOp::kRename, 1);
  EXPECT_FALSE(env.Rename("a", "b"));
  EXPECT_TRUE(env.Rename("a", "b"));
  env.FailOperation(EnvOp::kOpenForWriting);
  EXPECT_EQ(env.Open("c", OpenMode::kWrite), nullptr);
  EXPECT_NE(env.Open("b", OpenMode::kRead), nullptr);
  env.StopFailing(EnvOp::kOpenForWriting);
  EXPECT_NE(env.Open("c", OpenMode::kWrite), nullptr);
}

TEST(PosixEnvTest, RunsAProgramWithoutAShellAndWaits) {
  TempDir dir;
  PosixEnv env;
  const std::string marker = dir.Path("ran");
  // The argument holds shell characters; without a shell they are plain text.
  EXPECT_EQ(env.RunProcess({"/bin/touch", marker + ";false"}), 0);
  EXPECT_TRUE(FileExists(marker + ";false"));
  EXPECT_EQ(env.RunProcess({"/bin/sh", "-c", "exit 4"}), 4);
  EXPECT_EQ(env.RunProcess({dir.Path("no-such-program")}), -1);
}

}  // namespace
}  // namespace zul
