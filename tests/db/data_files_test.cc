// Opening data files: the table of open files, names and extensions,
// creation from the data dictionary, the wait on a locked file, and the
// orderly stop when a file cannot be opened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/insert_log.h"
#include "db/messages.h"
#include "tests/db/record_fixture.h"

namespace zul {
namespace {

using testing::Definition;
using testing::FileExists;
using testing::RecordFile;
using testing::RecordFixture;
using testing::U16;
using testing::WriteFileBytes;

// Communities: 2-byte code (key 0), 30-byte address; key 1 segmented.
std::string Communities() {
  return Definition(60, {{{1, 2, 0}}, {{3, 30, rm::kFlagDuplicates}, {1, 2, rm::kFlagDuplicates}}});
}

class DataFilesTest : public RecordFixture {};

TEST(BuildDataFilePathTest, ExtensionRunsFromTheFirstDotOfTheLastComponent) {
  const struct {
    const char* name;
    const char* path;
    const char* base;
  } cases[] = {
      {"C:\\NURI\\DADES\\FinquesH", "C:\\NURI\\DADES\\FinquesH.dat", "FinquesH"},
      {"Mivel", "Mivel.dat", "Mivel"},
      {"DADES\\Propiet.DAT", "DADES\\Propiet.DAT", "Propiet"},
      {"dir.v2/arxiu.tar.gz", "dir.v2/arxiu.tar.gz", "arxiu"},
      {"dir.v2\\arxiu", "dir.v2\\arxiu.dat", "arxiu"},
      {"A:fitxer", "A:fitxer.dat", "fitxer"},
      {"DADES\\", "DADES\\.dat", ""},
  };
  for (const auto& c : cases) {
    const DataFilePath where = BuildDataFilePath(c.name);
    EXPECT_EQ(where.path, c.path) << c.name;
    EXPECT_EQ(where.base_name, c.base) << c.name;
  }
}

TEST_F(DataFilesTest, AMissingFileIsCreatedFromItsDictionaryEntryAndOpened) {
  Dictionary("FinquesH", Communities());
  std::string record(60, '\0');
  Open(511, "DADES\\FinquesH", &record);
  EXPECT_TRUE(FileExists(dir_.Path("DADES/FinquesH.dat")));
  const FileSlot& slot = table_.slots[40];  // the highest free slot is taken
  EXPECT_EQ(slot.file_id, 511);
  EXPECT_EQ(slot.record_length, 60);
  EXPECT_EQ(slot.key_value, std::string(2, '\0'));
  EXPECT_EQ(slot.lock_mode, 0);
  EXPECT_EQ(access_.FindFileSlot(511), 40);
  EXPECT_EQ(access_.FindFileSlot(999), -39);
  int16_t key_length, record_length;
  access_.GetKeyInfo(511, 1, &key_length, &record_length);
  EXPECT_EQ(key_length, 32) << "a segmented key is as long as its segments";
  EXPECT_EQ(record_length, 60);
  access_.GetKeyInfo(511, 2, &key_length, &record_length);
  EXPECT_EQ(key_length, 0);
  access_.GetKeyInfo(512, 0, &key_length, &record_length);
  EXPECT_EQ(key_length + record_length, 0);
  EXPECT_TRUE(ui_.calls.empty());
}

TEST_F(DataFilesTest, ASecondOpenOfAFileIdAnswers1002AndAFullTableAnswers1003) {
  Dictionary("F", Communities());
  std::string first(60, '\0'), second(60, '\0');
  Open(7, "F", &first);
  int16_t status = 0;
  access_.OpenDataFile(7, "OTHER", second, &status);
  EXPECT_EQ(status, db::kFileIdAlreadyOpen);
  const int16_t slot = access_.FindFileSlot(7);
  EXPECT_EQ(table_.slots[slot].record_buffer.data(), first.data()) << "the first binding stays";
  EXPECT_FALSE(FileExists(dir_.Path("OTHER.dat")));
  for (int16_t id = 8; id < 7 + kMaxDataFiles; ++id) Open(id, "F", &first);
  access_.OpenDataFile(100, "F", second, &status);
  EXPECT_EQ(status, db::kNoFreeSlot);
  EXPECT_EQ(access_.FindFileSlot(100), 0);

  access_.CloseAllDataFiles(&status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(access_.FindFileSlot(7), -kMaxDataFiles);
  Open(100, "F", &second);
}

TEST_F(DataFilesTest, AFileLockedElsewhereIsRetriedEvery3000MillisecondsWithoutAMessage) {
  Dictionary("F", Communities());
  RecordManager other_program(env_);
  RecordFile maintenance(other_program);
  ASSERT_EQ(maintenance.Create("F.dat", Communities()), 0);
  ASSERT_EQ(maintenance.Open("F.dat", rm::kOpenExclusive), 0);
  int sleeps = 0;
  env_.on_sleep = [&] {
    if (++sleeps == 3) maintenance.Close();
  };
  std::string record(60, '\0');
  Open(1, "F", &record);
  EXPECT_EQ(env_.Sleeps(), (std::vector<int64_t>{3000, 3000, 3000}));
  EXPECT_TRUE(ui_.calls.empty());
}

TEST_F(DataFilesTest, AFileThatCannotBeOpenedStopsTheProgramInOrder) {
  std::string record(60, '\0');
  int16_t status = 0;
  access_.OpenDataFile(146, "T3\\Mivel", record, &status);  // no dictionary entry
  EXPECT_EQ(status, rm::kInvalidDefinition);
  EXPECT_EQ(ui_.calls,
            (std::vector<std::string>{"ShowMessage 12 NO ES POT ACCEDIR AL FITXER T3\\Mivel (24)",
                                      "Beep", "DiscardTypeAhead", "WaitForKey", "PopWindow",
                                      "CloseProgramFiles", "EndProgram 0"}));
  EXPECT_EQ(access_.FindFileSlot(146), -kMaxDataFiles) << "every data file was released";
}

TEST_F(DataFilesTest, ANameTooLongForThePathBufferStopsWithStatus11) {
  const std::string name = "DADES\\" + std::string(300, 'x');
  std::string record(60, '\0');
  int16_t status = 0;
  access_.OpenDataFile(5, name, record, &status);
  EXPECT_EQ(status, rm::kInvalidFileName);
  ASSERT_FALSE(ui_.calls.empty());
  EXPECT_EQ(ui_.calls[0], "ShowMessage 12 NO ES POT ACCEDIR AL FITXER " + name + " (11)");
}

TEST_F(DataFilesTest, DamagedDictionaryEntriesCreateNothing) {
  std::string entry;
  const std::string definition = Communities();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"length beyond the file", U16(static_cast<uint16_t>(definition.size() + 1)) + definition},
      {"length beyond the 1536-byte buffer", U16(1537) + definition + std::string(1537, '\0')},
      {"one byte", "\x05"},
      {"a definition with no keys", U16(16) + std::string(16, '\0')},
  };
  for (const auto& c : cases) {
    WriteFileBytes(dir_.Path("ddf/BAD.xdf"), c.bytes);
    ui_.calls.clear();
    std::string record(60, '\0');
    int16_t status = 0;
    access_.OpenDataFile(3, "BAD", record, &status);
    EXPECT_EQ(status, rm::kInvalidDefinition) << c.what;
    EXPECT_FALSE(FileExists(dir_.Path("BAD.dat"))) << c.what;
    ASSERT_FALSE(ui_.calls.empty());
    EXPECT_EQ(ui_.calls.back(), "EndProgram 0");
  }
  WriteFileBytes(dir_.Path("NOTOURS.dat"), "plain text, not a data file\r\n");
  ui_.calls.clear();
  std::string record(60, '\0');
  int16_t status = 0;
  access_.OpenDataFile(4, "NOTOURS", record, &status);
  EXPECT_EQ(status, rm::kNotADataFile);
  ASSERT_FALSE(ui_.calls.empty());
  EXPECT_EQ(ui_.calls[0], "ShowMessage 12 NO ES POT ACCEDIR AL FITXER NOTOURS (30)");
}

TEST(MessagesTest, EachLanguageHasItsTextsAndAnyOtherCodeIsCatalan) {
  const struct {
    const char* language;
    const char* access;
    const char* lock;
  } cases[] = {
      {"CAT", "NO ES POT ACCEDIR AL FITXER DADES\\X (94)", "FITXER BLOQUEJAT. ESPEREU UN MOMENT."},
      {"SPA", "NO SE PUEDE ACCEDER AL FICHERO DADES\\X (94)",
       "FICHERO BLOQUEADO. ESPERE UN MOMENTO."},
      {"GLG", "NOM SE PODE ACEDER AO FICHEIRO DADES\\X (94)",
       "FICHEIRO BLOQUEADO. ESPERE UM MOMENTO."},
      {"OCI", "NON SE P\xE3T ACCEDIR ATH FICH\xD4R DADES\\X (94)",
       "FICH\xD4R BLOQUEJAT. ESPERATZ UN MOMENT."},
      {"   ", "NO ES POT ACCEDIR AL FITXER DADES\\X (94)", "FITXER BLOQUEJAT. ESPEREU UN MOMENT."},
      {"spa", "NO ES POT ACCEDIR AL FITXER DADES\\X (94)", "FITXER BLOQUEJAT. ESPEREU UN MOMENT."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AccessMessage(c.language, "DADES\\X", 94), c.access) << c.language;
    EXPECT_EQ(LockMessage(c.language), c.lock) << c.language;
  }
  EXPECT_EQ(AccessMessage("CAT", "F", -5), "NO ES POT ACCEDIR AL FITXER F (-5)");
}

TEST(InsertLogTest, NumbersStandInColumns1And15And29) {
  const std::string second = " 2 " + std::string(11, ' ');  // columns 15 to 28
  EXPECT_EQ(InsertLogLine(146, 2, 0), " 146 " + std::string(9, ' ') + second + " 0 \r\n");
  EXPECT_EQ(InsertLogLine(-32768, 2, 1003),
            "-32768 " + std::string(7, ' ') + second + " 1003 \r\n");
  EXPECT_EQ(InsertLogLine(511, 2, -1), " 511 " + std::string(9, ' ') + second + "-1 \r\n");
}

}  // namespace
}  // namespace zul
