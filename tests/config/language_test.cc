#include "config/language.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::FileExists;
using testing::ListNames;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// Every test runs with the cache and without it: the results must not differ.
class TranslatorTest : public ::testing::TestWithParam<LanguageCache> {
 protected:
  TranslatorTest() : env_(dir_.path()) { std::filesystem::create_directories(LocaleDir()); }

  std::string LocaleDir() const { return dir_.Path("R/LOCALE"); }
  std::string FilePath() const { return dir_.Path("R/LOCALE/QORVENTA.LNG"); }
  void WriteLanguageFile(const std::string& bytes) { WriteFileBytes(FilePath(), bytes); }

  // A session speaking `language` with the module named "QORVENTA".
  void Speak(const std::string& language) {
    SessionValues values;
    values.root_dir = "R\\";
    values.language_code = language;
    values.module_name = "QORVENTA";
    session_ = Session(values);
  }

  TempDir dir_;
  TestEnv env_;
  Session session_;
};

INSTANTIATE_TEST_SUITE_P(CacheModes, TranslatorTest,
                         ::testing::Values(LanguageCache::kKeep, LanguageCache::kNone),
                         [](const auto& info) {
                           return info.param == LanguageCache::kKeep ? "Cached" : "Uncached";
                         });

TEST_P(TranslatorTest, CatalanTouchesNoFile) {
  Speak("CAT");
  Translator translator(env_, session_, GetParam());
  EXPECT_EQ(translator.Translate("PRESIDENT"), "PRESIDENT");
  EXPECT_EQ(ListNames(LocaleDir()), "");
}

TEST_P(TranslatorTest, AnyOtherCodeCreatesTheMissingFileAndKeepsTheText) {
  for (const std::string language : {"SPA", "   ", "cat", "ENG"}) {
    std::filesystem::remove(FilePath());
    Speak(language);
    Translator translator(env_, session_, GetParam());
    EXPECT_EQ(translator.Translate("PRESIDENT"), "PRESIDENT") << language;
    EXPECT_EQ(ReadFileBytes(FilePath()), "") << language;
  }
}

TEST_P(TranslatorTest, WithoutTheLocaleDirectoryEveryTextStaysCatalan) {
  std::filesystem::remove_all(LocaleDir());
  Speak("SPA");
  Translator translator(env_, session_, GetParam());
  EXPECT_EQ(translator.Translate("ADRE\x80"
                                 "A"),
            "ADRE\x80"
            "A");
  EXPECT_FALSE(FileExists(LocaleDir()));
}

// One file that exercises every reading rule; CR LF line ends.
std::string RulesFile() {
  const std::vector<std::string> lines = {
      // One field per line; the trailing space belongs to the text.
      "P\xb7GINA ", "P\xb5XINA ", "PAGINA ", "P\xb5GINA ",
      // Two entries with the same Catalan text: the first one wins.
      "DUP", "first g", "first o", "first s", "DUP", "second g", "second o", "second s",
      // Commas separate fields too; quotes protect commas and leading spaces.
      "ONE,un g,un o,uno", "\"A, B\",\"  g, quoted\",o,s",
      // A quoted field runs across line ends; after its quote, spaces, tabs
      // and line feeds are skipped before the comma.
      "\"TWO", "LINES\" \t\n,g2,o2,s2",
      // Spaces before a field are skipped; tabs and line feeds inside an
      // unquoted field are dropped; trailing spaces and inner quotes stay.
      "   LEAD", "  lead g", "lead o", "lead s", "TA\tB\nS", "t\tg", "to", "ts", "SAY \"HI\"  ",
      "say g", "say o", "say s",
      // An empty translation gives the empty text.
      "EMPTY", "", "", "",
      // Bytes of every kind belong to the text, NUL included.
      std::string("N\0L", 3), "nul g", "nul o", "nul s",
      // Nothing after a Ctrl-Z counts.
      "\x1a", "AFTER", "after g", "after o", "after s"};
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST_P(TranslatorTest, FollowsTheFieldRules) {
  struct Case {
    const char* language;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"GLG", "P\xb7GINA ", "P\xb5XINA "},
      {"OCI", "P\xb7GINA ", "PAGINA "},
      {"SPA", "P\xb7GINA ", "P\xb5GINA "},
      {"SPA", "P\xb7GINA", "P\xb7GINA"},  // without its trailing space: no entry
      {"SPA", "p\xb7gina ", "p\xb7gina "},
      {"SPA", "DUP", "first s"},
      {"OCI", "ONE", "un o"},
      {"SPA", "ONE", "uno"},
      {"GLG", "A, B", "  g, quoted"},
      {"SPA", "A", "A"},
      {"GLG", "TWO\r\nLINES", "g2"},
      {"SPA", "TWO\r\nLINES", "s2"},
      {"GLG", "LEAD", "lead g"},
      {"GLG", "TABS", "tg"},
      {"OCI", "SAY \"HI\"  ", "say o"},
      {"SPA", "EMPTY", ""},
      {"GLG", std::string("N\0L", 3), "nul g"},
      {"SPA", "AFTER", "AFTER"},
      {"ENG", "ONE", "ONE"},
      {"   ", "ONE", "ONE"},
  };
  WriteLanguageFile(RulesFile());
  for (const Case& c : cases) {
    Speak(c.language);
    Translator translator(env_, session_, GetParam());
    EXPECT_EQ(translator.Translate(c.text), c.expected) << c.language << " " << c.text;
  }
}

TEST_P(TranslatorTest, FileEndsInTheMiddleOfAnEntry) {
  Speak("SPA");
  Translator translator(env_, session_, GetParam());
  // A lone first field at the end is not an entry, with or without its line end.
  for (const std::string last : {"LAST", "LAST\r\n", "\"LAST"}) {
    WriteLanguageFile("A\r\ng\r\no\r\ns\r\n" + last);
    EXPECT_EQ(translator.Translate("LAST"), "LAST") << last;
    EXPECT_EQ(translator.Translate("\"LAST"), "\"LAST") << last;
    EXPECT_EQ(translator.Translate("A"), "s") << last;
  }
  // Fields missing at the end of a cut entry are empty.
  WriteLanguageFile("CUT\r\ngal\r\n");
  EXPECT_EQ(translator.Translate("CUT"), "");
  Speak("GLG");
  Translator galician(env_, session_, GetParam());
  EXPECT_EQ(galician.Translate("CUT"), "gal");
}

TEST_P(TranslatorTest, DamagedFilesNeitherCrashNorHang) {
  Speak("GLG");
  Translator translator(env_, session_, GetParam());
  // An unterminated quote swallows the rest of the file.
  WriteLanguageFile("OK\r\ng\r\no\r\ns\r\n\"OPEN\r\ng\r\no\r\ns\r\nNEXT\r\ng\r\no\r\ns\r\n");
  EXPECT_EQ(translator.Translate("OK"), "g");
  EXPECT_EQ(translator.Translate("NEXT"), "NEXT");
  // A field of 10 MiB, and an entry after it. The field is a hole of NUL
  // bytes in a sparse file, so that the test puts no load on the disk.
  const size_t big = 10 * 1024 * 1024;
  WriteLanguageFile("BIG\r\n");
  std::filesystem::resize_file(FilePath(), 5 + big);
  std::ofstream(FilePath(), std::ios::binary | std::ios::app)
      << "\r\no\r\ns\r\nNEXT\r\nnext g\r\no\r\ns\r\n";
  EXPECT_EQ(translator.Translate("BIG"), std::string(big, '\0'));
  EXPECT_EQ(translator.Translate("NEXT"), "next g");
  // Binary noise.
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 131 + 7) % 256));
  WriteLanguageFile(noise);
  EXPECT_EQ(translator.Translate("OK"), "OK");
  // A device that never ends, in the file's place.
  std::filesystem::remove(FilePath());
  std::filesystem::create_symlink("/dev/zero", FilePath());
  EXPECT_EQ(translator.Translate("OK"), "OK");
  // A directory where the file should be.
  std::filesystem::remove(FilePath());
  std::filesystem::create_directory(FilePath());
  EXPECT_EQ(translator.Translate("OK"), "OK");
}

TEST_P(TranslatorTest, AFileChangedWhileRunningIsHonouredAtTheNextCall) {
  Speak("SPA");
  Translator translator(env_, session_, GetParam());
  WriteLanguageFile("COD\r\ng\r\no\r\nold\r\n");
  EXPECT_EQ(translator.Translate("COD"), "old");
  // Replaced by another file under the same name.
  WriteFileBytes(FilePath() + ".new", "COD\r\ng\r\no\r\nnew\r\n");
  std::filesystem::rename(FilePath() + ".new", FilePath());
  EXPECT_EQ(translator.Translate("COD"), "new");
  // Rewritten in place with the same size: only its time tells.
  const auto written = std::filesystem::last_write_time(FilePath());
  WriteFileBytes(FilePath(), "COD\r\ng\r\no\r\nnow\r\n");
  std::filesystem::last_write_time(FilePath(), written + std::chrono::seconds(5));
  EXPECT_EQ(translator.Translate("COD"), "now");
  // Deleted: created again, empty.
  std::filesystem::remove(FilePath());
  EXPECT_EQ(translator.Translate("COD"), "COD");
  EXPECT_EQ(ReadFileBytes(FilePath()), "");
}

TEST_P(TranslatorTest, TheModuleNameIsTakenAtTheFirstCall) {
  Speak("SPA");
  WriteLanguageFile("COD\r\ng\r\no\r\nmine\r\n");
  WriteFileBytes(dir_.Path("R/LOCALE/OTHER.LNG"), "COD\r\ng\r\no\r\nother\r\n");
  Translator translator(env_, session_, GetParam());
  EXPECT_EQ(translator.Translate("COD"), "mine");
  session_.SetModuleName("OTHER");
  EXPECT_EQ(translator.Translate("COD"), "mine");
}

TEST_P(TranslatorTest, FindsTheFileWhateverTheCaseOfItsName) {
  std::filesystem::remove_all(LocaleDir());
  WriteFileBytes(dir_.Path("R/locale/qorventa.lng"), "COD\r\ng\r\no\r\nfound\r\n");
  Speak("SPA");
  Translator translator(env_, session_, GetParam());
  EXPECT_EQ(translator.Translate("COD"), "found");
  EXPECT_EQ(ListNames(dir_.Path("R/locale")), "qorventa.lng");
}

// The demo installation's language file holds every text of the report.
TEST(DemoLanguageFileTest, TranslatesTheReportTexts) {
  struct Case {
    const char* language;
    std::string catalan;
    std::string translated;
  };
  const Case cases[] = {
      {"SPA", "P\xb7GINA ", "P\xb5GINA "},
      {"SPA", "LLISTAT D'ADRECES D'HORITZONTAL", "LISTADO DE DIRECCIONES DE HORIZONTAL"},
      {"SPA",
       "ADRE\x80"
       "A",
       "DIRECCI\xe0N"},
      {"SPA", "PRESIDENT", "PRESIDENTE"},
      {"SPA", "COD", "COD"},
      {"SPA", "*** pis inexistent ***", "*** piso inexistente ***"},
      {"GLG", "P\xb7GINA ", "P\xb5XINA "},
      {"GLG",
       "ADRE\x80"
       "A",
       "ENDEREZO"},
      {"GLG", "LLISTAT D'ADRECES D'HORITZONTAL", "LISTAXE DE ENDEREZOS DE HORIZONTAL"},
      {"OCI", "P\xb7GINA ", "PAGINA "},
      {"OCI", "LLISTAT D'ADRECES D'HORITZONTAL", "LISTA D'ADRECES D'ORIZONTAU"},
      {"OCI", "*** pis inexistent ***", "*** apartament inexistent ***"},
  };
  TempDir dir;
  WriteFileBytes(dir.Path("LOCALE/QORVENTA.LNG"),
                 ReadFileBytes(std::string(ZUL_DEMO_TEMPLATE) + "/NURI/LOCALE/QORVENTA.LNG"));
  TestEnv env(dir.path());
  for (const Case& c : cases) {
    SessionValues values;
    values.language_code = c.language;
    values.module_name = "QORVENTA";
    const Session session(values);
    Translator translator(env, session);
    EXPECT_EQ(translator.Translate(c.catalan), c.translated) << c.language << " " << c.catalan;
  }
}

}  // namespace
}  // namespace zul
