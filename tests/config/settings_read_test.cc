#include <gtest/gtest.h>

#include <vector>

#include "config/settings.h"
#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;

// Every rule of the reader, in one file; lines joined with the given end.
std::string Sample(const std::string& eol) {
  const std::vector<std::string> lines = {
      "Top=above the first header",
      "[ usuari ]   ; spaces inside the brackets",
      " idioma = SPA ; the value keeps its spaces",
      "Quoted=\"hello\"",
      "OneQuote=\"",
      "StartQuote=\"abc",
      "Inner=\"a\"b\"",
      "\tTab=a tab belongs to the key",
      "no equals sign here",
      "Semi=a;b",
      "Empty=",
      "Nul=a" + std::string(1, '\0') + "b",
      "",
      "[Second]",
      "K=v",
      "[USUARI]",
      "Later=only under the second occurrence",
  };
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return text;
}

TEST(ReadSettingTest, FindsValuesByTheFileRules) {
  struct Case {
    const char* section;
    const char* key;
    std::string value;
  };
  const Case cases[] = {
      {"Usuari", "Idioma", " SPA "},
      {" USUARI ", " IDIOMA ", " SPA "},
      {"Usuari", "Quoted", "hello"},
      {"Usuari", "OneQuote", "\""},
      {"Usuari", "StartQuote", "\"abc"},
      {"Usuari", "Inner", "a\"b"},
      {"Usuari", "Tab", ""},
      {"Usuari", "Semi", "a"},
      {"Usuari", "Empty", ""},
      {"Usuari", "Nul", std::string("a\0b", 3)},
      {"Usuari", "Later", ""},
      {"Usuari", "Top", ""},
      {"Second", "K", "v"},
      {"Second", "Idioma", ""},
      {"Missing", "K", ""},
  };
  TempDir dir;
  TestEnv env(dir.path());
  for (const std::string eol : {"\r\n", "\n", "\r"}) {
    WriteFileBytes(dir.Path("Nuri.ini"), Sample(eol));
    for (const Case& c : cases) {
      EXPECT_EQ(ReadSetting(env, "NURI.INI", c.section, c.key), c.value)
          << c.section << "/" << c.key << " with line end " << int{eol.back()};
    }
  }
}

TEST(ReadSettingTest, DamagedAndMissingFiles) {
  TempDir dir;
  TestEnv env(dir.path());
  // Ctrl-Z ends the file; a last line without its end still counts.
  WriteFileBytes(dir.Path("z.ini"), "[A]\r\nk=1\x1a\r\n[B]\r\nj=2\r\n");
  EXPECT_EQ(ReadSetting(env, "z.ini", "A", "k"), "1");
  EXPECT_EQ(ReadSetting(env, "z.ini", "B", "j"), "");
  WriteFileBytes(dir.Path("n.ini"), "[A]\r\nk=last");
  EXPECT_EQ(ReadSetting(env, "n.ini", "A", "k"), "last");
  // A line of 1 MiB.
  const std::string big(1 << 20, 'x');
  WriteFileBytes(dir.Path("big.ini"), "[A]\r\nk=" + big + "\r\nj=2\r\n");
  EXPECT_EQ(ReadSetting(env, "big.ini", "A", "k"), big);
  EXPECT_EQ(ReadSetting(env, "big.ini", "A", "j"), "2");
  // A file too large to be a settings file.
  WriteFileBytes(dir.Path("huge.ini"), "[A]\r\nk=1\r\n" + std::string(kMaxSettingsFileBytes, ' '));
  EXPECT_EQ(ReadSetting(env, "huge.ini", "A", "k"), "");
  // Missing file, a directory, a missing directory.
  EXPECT_EQ(ReadSetting(env, "none.ini", "A", "k"), "");
  WriteFileBytes(dir.Path("sub/x"), "");
  EXPECT_EQ(ReadSetting(env, "sub", "A", "k"), "");
  EXPECT_EQ(ReadSetting(env, "nodir\\x.ini", "A", "k"), "");
}

}  // namespace
}  // namespace zul
