#include "config/session.h"

#include <gtest/gtest.h>

#include "core/packed_digits.h"
#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;

TEST(NormaliseDirectoryTest, AddsABackslashUnlessTheTextEndsASeparator) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {{"C:\\T", "C:\\T\\"},       {"C:", "C:"},
                        {"C:\\T\\", "C:\\T\\"},     {"", ""},
                        {"/var/zul/", "/var/zul/"}, {"/var/zul", "/var/zul\\"}};
  for (const Case& c : cases) EXPECT_EQ(NormaliseDirectory(c.in), c.out) << c.in;
}

class StartSessionTest : public ::testing::Test {
 protected:
  StartSessionTest() : env_(dir_.path()) {
    env_.SetEnv("ZULROOT", "R\\");
    env_.SetEnv("ZULEXE", "R\\BIN\\");
    env_.SetEnv("ZULTMP", "T");
  }
  void Terminal(const std::string& text) { WriteFileBytes(dir_.Path("T/NuriTerm.ini"), text); }
  void SessionFile(const std::string& text) { WriteFileBytes(dir_.Path("T/Sessio.ini"), text); }
  void User(const std::string& text) { WriteFileBytes(dir_.Path("R/Nuri.ini"), text); }

  TempDir dir_;
  TestEnv env_;
};

TEST_F(StartSessionTest, ReadsEveryValueOfACompleteInstallation) {
  SessionFile(
      "[Menu]\r\nTitol=FINQUES\r\nNomMenu=BORELANE\r\nChnMenu=HORITZ\r\n"
      "[Terminal]\r\nDir=C:\\TERM3\r\n");
  Terminal(
      "[Pantalla]\r\nSeleccio=1\r\nCol1=14010701000701070107\r\n"
      "[Sistema]\r\nData=20261211\r\nSortida=LPT1\r\nIdioma=SPA\r\n");
  const Session s = StartSession(env_);
  EXPECT_EQ(s.RootDir(), "R\\");
  EXPECT_EQ(s.ExeDir(), "R\\BIN\\");
  EXPECT_EQ(s.WorkDir(), "T\\");
  EXPECT_EQ(s.TerminalDir(), "C:\\TERM3\\");
  EXPECT_EQ(s.MenuTitle(), " FINQUES ");
  EXPECT_EQ(s.MenuName(), "BORELANE");
  EXPECT_EQ(s.ChainMenu(), "HORITZ");
  const ColourTable expected = {{{14, 1}, {7, 1}, {0, 7}, {1, 7}, {1, 7}}};
  EXPECT_EQ(s.ScreenColours(), expected);
  EXPECT_EQ(s.WorkingDate().size(), 4u);
  EXPECT_EQ(UnpackDigits(s.WorkingDate()), "20261211");
  EXPECT_EQ(s.OutputDevice(), "LPT1");
  EXPECT_EQ(s.LanguageCode(), "SPA");
  EXPECT_EQ(s.HostMode(), "DOS");
}

TEST_F(StartSessionTest, EmptyInstallationGivesTheDefaults) {
  const Session s = StartSession(env_);
  EXPECT_EQ(s.MenuTitle(), "  ");
  EXPECT_EQ(s.MenuName(), "");
  EXPECT_EQ(s.TerminalDir(), "");
  const ColourTable defaults = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
  EXPECT_EQ(s.ScreenColours(), defaults);
  EXPECT_EQ(s.WorkingDate(), "");
  EXPECT_EQ(s.LanguageCode(), "   ");
}

TEST_F(StartSessionTest, TerminalDirectoryFromTermWhenNeitherIsSet) {
  env_.UnsetEnv("ZULTMP");
  env_.SetEnv("TERM", "D:\\TERM");
  // With WorkDir still empty, "Sessio.ini" comes from the working directory.
  WriteFileBytes(dir_.Path("Sessio.ini"), "[Menu]\r\nNomMenu=FROM_CWD\r\n");
  WriteFileBytes(dir_.Path("D:/TERM/NuriTerm.ini"), "[Sistema]\r\nSortida=PRN\r\n");
  const Session s = StartSession(env_);
  EXPECT_EQ(s.TerminalDir(), "D:\\TERM\\");
  EXPECT_EQ(s.WorkDir(), "D:\\TERM\\");
  EXPECT_EQ(s.MenuName(), "FROM_CWD");
  EXPECT_EQ(s.OutputDevice(), "PRN");
}

TEST_F(StartSessionTest, ColourSets) {
  struct Case {
    const char* pantalla;
    ColourTable colours;
  };
  const ColourTable defaults = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
  const Case cases[] = {
      {"Seleccio=2\r\nCol2=14010701\r\n", {{{14, 1}, {7, 1}, {0, 0}, {0, 0}, {0, 0}}}},
      {"Seleccio=2\r\nCol1=14010701\r\n", defaults},
      {"Seleccio=2.6\r\nCol3=01020304050607080910\r\n",
       {{{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}}}},
      {"Seleccio=abc\r\nCol0=0102\r\n", {{{1, 2}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}},
      {"Seleccio=-1\r\nCol-1=1x 7\r\n", {{{1, 7}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}},
  };
  for (const Case& c : cases) {
    Terminal(std::string("[Pantalla]\r\n") + c.pantalla);
    EXPECT_EQ(StartSession(env_).ScreenColours(), c.colours) << c.pantalla;
  }
}

TEST_F(StartSessionTest, LanguageCode) {
  struct Case {
    const char* terminal;  // value of [Sistema] Idioma, nullptr: no key
    const char* user;      // value of [Usuari] Idioma, nullptr: no key
    const char* code;
  };
  const Case cases[] = {
      {"SPA", "GLG", "SPA"},     {"   ", "GLG", "GLG"},       {nullptr, "OCI", "OCI"},
      {nullptr, nullptr, "   "}, {"spa", nullptr, "spa"},     {"CATALAN", nullptr, "CAT"},
      {"G", nullptr, "G  "},     {nullptr, "SPANISH", "SPA"},
  };
  for (const Case& c : cases) {
    Terminal(c.terminal ? std::string("[Sistema]\r\nIdioma=") + c.terminal + "\r\n" : "");
    User(c.user ? std::string("[Usuari]\r\nIdioma=") + c.user + "\r\n" : "");
    EXPECT_EQ(StartSession(env_).LanguageCode(), c.code)
        << (c.terminal ? c.terminal : "-") << " / " << (c.user ? c.user : "-");
  }
}

TEST_F(StartSessionTest, HostMode) {
  struct Case {
    std::vector<const char*> set;
    const char* mode;
  };
  const Case cases[] = {
      {{}, "DOS"},         {{"HTTP_USER_AGENT"}, "CGI"}, {{"HTTP_ACCEPT", "WINDIR"}, "CGI"},
      {{"WINDIR"}, "WIN"}, {{"SYSTEMROOT"}, "WIN"},
  };
  for (const Case& c : cases) {
    for (const char* name : {"HTTP_USER_AGENT", "HTTP_ACCEPT", "WINDIR", "SYSTEMROOT"}) {
      env_.UnsetEnv(name);
    }
    for (const char* name : c.set) env_.SetEnv(name, "x");
    EXPECT_EQ(StartSession(env_).HostMode(), c.mode) << c.mode;
  }
}

}  // namespace
}  // namespace zul
