#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::FileExists;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

struct ToolRun {
  int code;
  std::string err;
};

ToolRun Zulhelp(const std::string& args, const TempDir& dir) {
  const std::string err_file = dir.Path("stderr.txt");
  const std::string command =
      "cd '" + dir.path() + "' && '" + ZUL_ZULHELP + "' " + args + " 2>'" + err_file + "'";
  const int status = std::system(command.c_str());
  ToolRun run{WEXITSTATUS(status), ReadFileBytes(err_file)};
  std::remove(err_file.c_str());
  return run;
}

TEST(ZulhelpTest, BuildsTheRecordsOfAHelpFile) {
  TempDir dir;
  WriteFileBytes(dir.Path("topic.txt"), "{h}T\xC3\xADtol{h}\nl\xC3\xADnia\n");
  WriteFileBytes(dir.Path("AJUDA/keep"), "");
  const ToolRun run = Zulhelp("topic.txt AJUDA/TOPIC.HLP", dir);
  EXPECT_EQ(run.code, 0) << run.err;
  std::string first = "\x1ET\xA1tol\x1E", second = "l\xA1nia";
  first.resize(80, ' ');
  second.resize(80, ' ');
  EXPECT_EQ(ReadFileBytes(dir.Path("AJUDA/TOPIC.HLP")), first + second);
  EXPECT_FALSE(FileExists(dir.Path("AJUDA/TOPIC.HLP.tmp")));
}

TEST(ZulhelpTest, FaultyLinesAreNamedAndTheOldFileStays) {
  TempDir dir;
  WriteFileBytes(dir.Path("topic.txt"), "ok\n" + std::string(77, 'x') + "\n\xE2\x82\xAC\n");
  WriteFileBytes(dir.Path("OUT.HLP"), "old");
  const ToolRun run = Zulhelp("topic.txt OUT.HLP", dir);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err,
            "topic.txt:2: too long: 77 characters, at most 76 show\n"
            "topic.txt:3: column 1: \"\xE2\x82\xAC\" (U+20AC) cannot be shown in code page 850\n"
            "zulhelp: 2 faulty lines; OUT.HLP not written\n");
  EXPECT_EQ(ReadFileBytes(dir.Path("OUT.HLP")), "old");
}

TEST(ZulhelpTest, UsageAndUnreadableFiles) {
  TempDir dir;
  EXPECT_EQ(Zulhelp("--help", dir).code, 0);
  EXPECT_EQ(Zulhelp("one", dir).code, 2);
  const ToolRun run = Zulhelp("missing.txt OUT.HLP", dir);
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("zulhelp: cannot read missing.txt"), std::string::npos) << run.err;
  WriteFileBytes(dir.Path("t.txt"), "x\n");
  EXPECT_EQ(Zulhelp("t.txt NODIR/OUT.HLP", dir).code, 2);
}

}  // namespace
}  // namespace zul
