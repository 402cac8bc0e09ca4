// Real processes against one settings file: concurrent writers lose nothing,
// and a writer killed at any instant leaves a complete file.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/posix_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

pid_t Start(const std::vector<std::string>& args) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::vector<char*> argv;
    std::string program = ZUL_SETTINGS_WRITER;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (std::string& arg : copy) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST(SettingsProcessesTest, TwoWritersOfDifferentKeysLoseNothing) {
  TempDir dir;
  const std::string file = dir.Path("Sessio.ini");
  WriteFileBytes(file, "; shared by two workstations\r\n[Menu]\r\nTitol=Finques\r\n");
  const int kCount = 40;
  const pid_t a = Start({"keys", file, "Menu", "a", std::to_string(kCount)});
  const pid_t b = Start({"keys", file, "Terminal", "b", std::to_string(kCount)});
  EXPECT_EQ(Wait(a), 0);
  EXPECT_EQ(Wait(b), 0);
  PosixEnv env;
  for (int i = 1; i <= kCount; ++i) {
    const std::string ka = "a" + std::to_string(i);
    const std::string kb = "b" + std::to_string(i);
    EXPECT_EQ(ReadSetting(env, file, "Menu", ka), "value of " + ka);
    EXPECT_EQ(ReadSetting(env, file, "Terminal", kb), "value of " + kb);
  }
  EXPECT_EQ(ReadSetting(env, file, "Menu", "Titol"), "Finques");
  EXPECT_EQ(ReadFileBytes(file).substr(0, 32), "; shared by two workstations\r\n[M");
}

TEST(SettingsProcessesTest, AWriterKilledAtAnyMomentLeavesACompleteFile) {
  TempDir dir;
  const std::string file = dir.Path("NuriTerm.ini");
  const std::string header = "; terminal 3\r\n[S]\r\n";
  const std::string original = header + "k=" + std::string(4000, 'O') + "\r\n[T]\r\nx=1\r\n";
  const std::string version_a = header + "k=" + std::string(4000, 'A') + "\r\n[T]\r\nx=1\r\n";
  const std::string version_b = header + "k=" + std::string(4000, 'B') + "\r\n[T]\r\nx=1\r\n";
  WriteFileBytes(file, original);
  std::mt19937 random(12345);
  int changed = 0;
  for (int round = 0; round < 40; ++round) {
    const pid_t writer = Start({"churn", file});
    ::usleep(std::uniform_int_distribution<int>(0, 80000)(random));
    ::kill(writer, SIGKILL);
    Wait(writer);
    const std::string now = ReadFileBytes(file);
    ASSERT_TRUE(now == original || now == version_a || now == version_b)
        << "round " << round << ": torn or missing file of " << now.size() << " bytes";
    if (now != original) ++changed;
  }
  EXPECT_GT(changed, 0) << "the writer never got to replace the file";
}

}  // namespace
}  // namespace zul
