#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "config/settings.h"
#include "platform/posix_env.h"
#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::FileExists;
using testing::ListNames;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

struct RewriteCase {
  const char* name;
  std::string before;  // "<missing>": no file
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

TEST(WriteSettingTest, RewritesByTheFileRules) {
  const RewriteCase cases[] = {
      {"creates a missing file", "<missing>", "Usuari", "Idioma", "SPA",
       "[Usuari]\r\nIdioma=SPA\r\n"},
      {"key added after the section's last key, above its comment",
       "[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=2\r\n", "A", "k", "v",
       "[A]\r\nx=1\r\nk=v\r\n; note\r\n\r\n[B]\r\ny=2\r\n"},
      {"key added at a section directly followed by a header", "[A]\r\nx=1\r\n[B]\r\n", "a", "k",
       "v", "[A]\r\nx=1\r\nk=v\r\n[B]\r\n"},
      {"section added above trailing blank and comment lines", "[A]\r\nx=1\r\n\r\n; end\r\n", "B",
       "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n\r\n; end\r\n"},
      {"section added first in a file of comments", "; c1\r\n\r\n", "B", "k", "v",
       "[B]\r\nk=v\r\n; c1\r\n\r\n"},
      {"value replaced keeping indentation and key, losing the comment",
       "[A]\r\n  Idioma = CAT ; c\r\n", "a", "IDIOMA", "SPA", "[A]\r\n  Idioma =SPA\r\n"},
      {"empty value removes every line of the key in the section",
       "[A]\r\nk=1\r\nx=2\r\nK = 3\r\n[B]\r\nk=4\r\n", "A", "k", "",
       "[A]\r\nx=2\r\n[B]\r\nk=4\r\n"},
      {"the header stays when no key is left", "[A]\r\nk=1\r\n", "A", "k", "", "[A]\r\n"},
      {"empty key removes the header and the key lines only",
       "[A]\r\n; c\r\nk=1\r\nplain\r\n\r\nj=2\r\n[B]\r\nm=3\r\n", "A", "", "",
       "; c\r\nplain\r\n\r\n[B]\r\nm=3\r\n"},
      {"empty section leaves only blank and comment lines",
       "; top\r\n[A]\r\nk=1\r\n\r\n;c\r\n[B]\r\n", "", "x", "y", "; top\r\n\r\n;c\r\n"},
      {"a tab before a key is part of the key", "[A]\r\n\tIdioma=CAT\r\n", "A", "Idioma", "SPA",
       "[A]\r\n\tIdioma=CAT\r\nIdioma=SPA\r\n"},
      {"arguments are written exactly as passed", "", " Sec ", " Key ", "v ",
       "[ Sec ]\r\n Key =v \r\n"},
      {"lone LF and CR line ends become CR LF", "[A]\nk=1\rj=2", "A", "k", "9",
       "[A]\r\nk=9\r\nj=2\r\n"},
      {"nothing after Ctrl-Z is kept", "[A]\r\nk=1\r\n\x1agarbage", "A", "j", "2",
       "[A]\r\nk=1\r\nj=2\r\n"},
      {"lines above the first header and lines without = are copied", "x=1\r\n[A]\r\nstray\r\n",
       "A", "x", "2", "x=1\r\n[A]\r\nstray\r\nx=2\r\n"},
      {"matching lines of a repeated section are all replaced",
       "[A]\r\nk=1\r\n[B]\r\n[A]\r\nk=2\r\n", "A", "k", "9", "[A]\r\nk=9\r\n[B]\r\n[A]\r\nk=9\r\n"},
      {"NUL bytes are copied unchanged", std::string("[A]\r\nn=\0\r\n", 10), "A", "k", "1",
       std::string("[A]\r\nn=\0\r\nk=1\r\n", 15)},
  };
  for (const RewriteCase& c : cases) {
    TempDir dir;
    TestEnv env(dir.path());
    if (c.before != "<missing>") WriteFileBytes(dir.Path("s.ini"), c.before);
    // An existing file is found whatever the case; a new one takes the name as written.
    const std::string name = c.before == "<missing>" ? "S.INI" : "s.ini";
    EXPECT_EQ(WriteSetting(env, "S.INI", c.section, c.key, c.value), SettingsStatus::kOk) << c.name;
    EXPECT_EQ(ReadFileBytes(dir.Path(name)), c.after) << c.name;
    EXPECT_EQ(ListNames(dir.path()), name) << c.name << ": no temporary file may remain";
  }
}

TEST(WriteSettingTest, WrittenValuesReadBack) {
  TempDir dir;
  TestEnv env(dir.path());
  const std::string file = dir.path() + "\\Sessio.ini";
  ASSERT_EQ(WriteSetting(env, file, "Menu", "NomMenu", "FINQUES"), SettingsStatus::kOk);
  ASSERT_EQ(WriteSetting(env, file, "Menu", "Titol", "Gesti\xA2 de finques"), SettingsStatus::kOk);
  ASSERT_EQ(WriteSetting(env, file, "Terminal", "Dir", "C:\\T\\"), SettingsStatus::kOk);
  ASSERT_EQ(WriteSetting(env, file, "menu", "nommenu", "ALTRE"), SettingsStatus::kOk);
  EXPECT_EQ(ReadSetting(env, file, "Menu", "NomMenu"), "ALTRE");
  EXPECT_EQ(ReadSetting(env, file, "Menu", "Titol"), "Gesti\xA2 de finques");
  EXPECT_EQ(ReadSetting(env, file, "Terminal", "Dir"), "C:\\T\\");
}

TEST(WriteSettingTest, KeepsThePermissionsOfTheFile) {
  TempDir dir;
  TestEnv env(dir.path());
  WriteFileBytes(dir.Path("s.ini"), "[A]\r\n");
  ASSERT_EQ(::chmod(dir.Path("s.ini").c_str(), 0640), 0);
  ASSERT_EQ(WriteSetting(env, "s.ini", "A", "k", "v"), SettingsStatus::kOk);
  struct stat st;
  ASSERT_EQ(::stat(dir.Path("s.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(WriteSettingTest, NeverReusesAnExistingTemporaryName) {
  TempDir dir;
  TestEnv env(dir.path());
  WriteFileBytes(dir.Path("12345678.tmp"), "another writer's copy");
  WriteFileBytes(dir.Path("s.ini"), "[A]\r\n");
  // The first eight digits drawn spell the name that exists.
  env.ScriptRandom({1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0, 9});
  ASSERT_EQ(WriteSetting(env, "s.ini", "A", "k", "v"), SettingsStatus::kOk);
  EXPECT_EQ(ReadFileBytes(dir.Path("12345678.tmp")), "another writer's copy");
  EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), "[A]\r\nk=v\r\n");
  EXPECT_EQ(ListNames(dir.path()), "12345678.tmp s.ini");
}

// Each failure leaves the settings file exactly as it was, no temporary file
// behind, and a status that says what went wrong, within the time budget.
TEST(WriteSettingTest, FailuresLeaveTheFileAsItWas) {
  const std::string original = "[A]\r\nk=old ; keep me\r\n";
  struct Case {
    const char* name;
    std::function<void(TestEnv&, const TempDir&)> arrange;
    std::string file;
    SettingsStatus status;
  };
  const Case cases[] = {
      {"rename always refused",
       [](TestEnv& env, const TempDir&) { env.FailOperation(EnvOp::kRename); }, "s.ini",
       SettingsStatus::kCannotReplace},
      {"temporary copy cannot be created",
       [](TestEnv& env, const TempDir&) { env.FailOperation(EnvOp::kOpenForWriting); }, "s.ini",
       SettingsStatus::kCannotCreateTemp},
      {"another writer keeps the lock",
       [](TestEnv& env, const TempDir&) { env.FailOperation(EnvOp::kLock); }, "s.ini",
       SettingsStatus::kBusy},
      {"directory does not exist", [](TestEnv&, const TempDir&) {}, "nodir\\s.ini",
       SettingsStatus::kCannotCreateTemp},
      {"the path is a directory",
       [](TestEnv&, const TempDir& dir) { WriteFileBytes(dir.Path("d.ini/inside"), "x"); }, "d.ini",
       SettingsStatus::kCannotRead},
      {"the file is too large",
       [](TestEnv&, const TempDir& dir) {
         WriteFileBytes(dir.Path("huge.ini"), std::string(kMaxSettingsFileBytes + 1, ';'));
       },
       "huge.ini", SettingsStatus::kTooLarge},
  };
  for (const Case& c : cases) {
    TempDir dir;
    TestEnv env(dir.path());
    WriteFileBytes(dir.Path("s.ini"), original);
    c.arrange(env, dir);
    const std::string before = ListNames(dir.path());
    const int64_t start = env.NowMillis();
    EXPECT_EQ(WriteSetting(env, c.file, "A", "k", "new"), c.status) << c.name;
    EXPECT_LE(env.NowMillis() - start, kSettingsWriteBudgetMillis + 200) << c.name;
    EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), original) << c.name;
    EXPECT_EQ(ListNames(dir.path()), before) << c.name;
  }
}

TEST(WriteSettingTest, RetriesTheRenameUntilItSucceeds) {
  TempDir dir;
  TestEnv env(dir.path());
  WriteFileBytes(dir.Path("s.ini"), "[A]\r\n");
  env.FailOperation(EnvOp::kRename, 3);
  EXPECT_EQ(WriteSetting(env, "s.ini", "A", "k", "v"), SettingsStatus::kOk);
  EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), "[A]\r\nk=v\r\n");
  EXPECT_GT(env.SleptMillis(), 0);
}

TEST(WriteSettingTest, WaitsForAWriterHoldingTheLockThenGivesUp) {
  TempDir dir;
  TestEnv env(dir.path());
  WriteFileBytes(dir.Path("s.ini"), "[A]\r\n");
  PosixEnv other;
  auto held = other.TryLock(dir.path());
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(WriteSetting(env, "s.ini", "A", "k", "v"), SettingsStatus::kBusy);
  EXPECT_GE(env.SleptMillis(), kSettingsWriteBudgetMillis - 20);
  held.reset();
  EXPECT_EQ(WriteSetting(env, "s.ini", "A", "k", "v"), SettingsStatus::kOk);
}

TEST(WriteSettingTest, RefusesLineBreaksThatWouldForgeLines) {
  TempDir dir;
  TestEnv env(dir.path());
  WriteFileBytes(dir.Path("s.ini"), "[A]\r\n");
  const char* values[] = {"x\r\n[Evil]", "x\ny", "x\ry", "x\x1a"};
  for (const char* value : values) {
    EXPECT_EQ(WriteSetting(env, "s.ini", "A", "k", value), SettingsStatus::kBadArgument);
    EXPECT_EQ(WriteSetting(env, "s.ini", value, "k", "v"), SettingsStatus::kBadArgument);
  }
  EXPECT_EQ(ReadFileBytes(dir.Path("s.ini")), "[A]\r\n");
}

}  // namespace
}  // namespace zul
