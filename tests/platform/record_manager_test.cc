// The record manager engine on real files: definitions, key order,
// positioning, lengths, damaged files, locks between open files, and
// transactions.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "platform/record_manager/record_manager.h"
#include "platform/test_env.h"
#include "tests/platform/record_file.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::Definition;
using testing::ReadFileBytes;
using testing::RecordFile;
using testing::TempDir;
using testing::U16;
using testing::UpperTable;
using testing::WriteFileBytes;

// Records of 16 bytes: a 2-byte number (key 0, binary, unique), an 8-byte
// name (key 1, through the collating table, duplicates allowed), 6 bytes of
// payload. Key 2 is segmented: the name's first 2 bytes, then the number.
std::string People() {
  return Definition(16,
                    {{{1, 2, rm::kFlagBinary}},
                     {{3, 8, rm::kFlagAlternate | rm::kFlagDuplicates | rm::kFlagModifiable}},
                     {{3, 2, rm::kFlagDuplicates | rm::kFlagModifiable},
                      {1, 2, rm::kFlagBinary | rm::kFlagDuplicates | rm::kFlagModifiable}}},
                    UpperTable());
}

std::string Person(uint16_t number, const std::string& name, const std::string& payload = "") {
  std::string r = U16(number) + name;
  r.resize(10, ' ');
  r += payload;
  r.resize(16, '.');
  return r;
}

class RecordManagerTest : public ::testing::Test {
 protected:
  RecordManagerTest() : env_(dir_.path()), manager_(env_), file_(manager_) {}

  void MakePeople(const std::vector<std::pair<uint16_t, std::string>>& people) {
    ASSERT_EQ(file_.Create("PEOPLE.DAT", People()), 0);
    ASSERT_EQ(file_.Open("PEOPLE.DAT"), 0);
    for (const auto& [number, name] : people) ASSERT_EQ(file_.Insert(Person(number, name)), 0);
  }

  // Walks key `k` with Get First + Get Next (or Last + Previous) and gives
  // the records' numbers in order.
  std::vector<int> Walk(int8_t k, bool forward = true) {
    std::vector<int> numbers;
    std::string key, record;
    int16_t op = forward ? rm::kGetFirst : rm::kGetLast;
    while (file_.Op(op, k, &key, &record) == 0) {
      numbers.push_back(static_cast<unsigned char>(record[0]) |
                        static_cast<unsigned char>(record[1]) << 8);
      op = forward ? rm::kGetNext : rm::kGetPrevious;
    }
    return numbers;
  }

  TempDir dir_;
  TestEnv env_;
  RecordManager manager_;
  RecordFile file_;
};

TEST(FileDefinitionTest, RefusesDefinitionsThatCannotDescribeAFile) {
  const std::string good = Definition(20, {{{1, 4, 0}}});
  std::string no_keys = good;
  no_keys[4] = 0;
  std::string beyond_table = People();
  beyond_table.resize(beyond_table.size() - 1);
  std::string wrong_signature = People();
  wrong_signature[16 + 4 * 16] = 'X';
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"shorter than the file block", good.substr(0, 10)},
      {"no keys", no_keys},
      {"record length 0", Definition(0, {{{1, 1, 0}}})},
      {"record length above 1536", Definition(1537, {{{1, 1, 0}}})},
      {"segment beyond the record", Definition(20, {{{18, 4, 0}}})},
      {"segment of length 0", Definition(20, {{{1, 0, 0}}})},
      {"segment at position 0", Definition(20, {{{0, 2, 0}}})},
      {"key announced, blocks missing", good.substr(0, 16) + std::string(8, '\0')},
      {"segment chain running off the end", Definition(20, {{{1, 2, rm::kFlagSegmented}}})},
      {"key longer than 255 bytes", Definition(600, {{{1, 300, 0}}})},
      {"flag 32 without a collating table", Definition(20, {{{1, 4, rm::kFlagAlternate}}})},
      {"collating table cut short", beyond_table},
      {"collating table with a wrong signature", wrong_signature},
  };
  for (const auto& c : cases) {
    rm::FileDefinition layout;
    EXPECT_EQ(rm::ParseFileDefinition(c.bytes, &layout), rm::kInvalidDefinition) << c.what;
  }
  rm::FileDefinition layout;
  ASSERT_EQ(rm::ParseFileDefinition(People() + "trailing bytes are ignored", &layout), 0);
  EXPECT_EQ(rm::EncodeFileDefinition(layout), People());
  ASSERT_EQ(layout.keys.size(), 3u);
  EXPECT_EQ(layout.keys[2].Length(), 4);
  EXPECT_TRUE(layout.keys[1].Duplicates());
  EXPECT_FALSE(layout.keys[0].Duplicates());
}

TEST(FileDefinitionTest, CollatingFormOrdersBinaryNumbersAndFoldsThroughTheTable) {
  rm::FileDefinition layout;
  ASSERT_EQ(rm::ParseFileDefinition(People(), &layout), 0);
  EXPECT_EQ(rm::CollateKey(layout, 0, std::string("\x01\x00", 2)), std::string("\x00\x01", 2));
  EXPECT_EQ(rm::CollateKey(layout, 0, std::string("\x00\x01", 2)), std::string("\x01\x00", 2));
  EXPECT_LT(rm::CollateKey(layout, 0, U16(1)), rm::CollateKey(layout, 0, U16(256)));
  EXPECT_EQ(rm::CollateKey(layout, 0, "\x05"), std::string("\x00\x05", 2));  // padded first
  EXPECT_EQ(rm::CollateKey(layout, 1, "Abc"), "ABC");  // only the bytes the value holds
  EXPECT_EQ(rm::CollateKey(layout, 2, "ab" + U16(258)), "ab" + std::string("\x01\x02", 2));
}

TEST_F(RecordManagerTest, StatAnswersTheCreationBufferAndCreateRefusesAnExistingFile) {
  ASSERT_EQ(file_.Create("PEOPLE.DAT", People()), 0);
  EXPECT_EQ(file_.Create("PEOPLE.DAT", People()), rm::kFileExists);
  EXPECT_EQ(file_.Create("OTHER.DAT", Definition(20, {})), rm::kInvalidDefinition);
  EXPECT_FALSE(testing::FileExists(dir_.Path("OTHER.DAT")));
  EXPECT_EQ(file_.Open("MISSING.DAT"), rm::kFileNotFound);
  ASSERT_EQ(file_.Open("people.dat"), 0);  // suite paths resolve without regard to case
  std::string answer;
  ASSERT_EQ(file_.Stat(&answer), 0);
  EXPECT_EQ(answer, People());
  EXPECT_EQ(testing::ListNames(dir_.path()).find(".new"), std::string::npos);
}

TEST_F(RecordManagerTest, ANewFileIsNeverPairedWithAStaleWriteAheadLog) {
  // A file still in use has its latest records in its write-ahead log; the
  // log is copied next to the name of a file about to be created, as a file
  // deleted while in use (or a crash) leaves it.
  MakePeople({{1, "a"}, {2, "b"}, {3, "c"}});
  const std::string log = ReadFileBytes(dir_.Path("PEOPLE.DAT-wal"));
  ASSERT_GT(log.size(), 0u);
  WriteFileBytes(dir_.Path("NEW.DAT-wal"), log);
  RecordFile fresh(manager_);
  ASSERT_EQ(fresh.Create("NEW.DAT", People()), 0);
  ASSERT_EQ(fresh.Open("NEW.DAT"), 0);
  std::string key, record;
  EXPECT_EQ(fresh.Op(rm::kGetFirst, 0, &key, &record), rm::kEndOfFile);
  ASSERT_EQ(fresh.Insert(Person(7, "g")), 0);
  EXPECT_EQ(fresh.Op(rm::kGetFirst, 0, &key, &record), 0);
  EXPECT_EQ(record, Person(7, "g"));
}

TEST_F(RecordManagerTest, KeysOrderBinaryNumbersCollatedTextAndSegmentsDuplicatesInInsertionOrder) {
  MakePeople(
      {{256, "berta"}, {1, "Anna"}, {65535, "carles"}, {2, "anna"}, {300, "ANNA"}, {3, "Bernat"}});
  EXPECT_EQ(Walk(0), (std::vector<int>{1, 2, 3, 256, 300, 65535}));
  EXPECT_EQ(Walk(0, false), (std::vector<int>{65535, 300, 256, 3, 2, 1}));
  // Case folded by the table; equal names in the order they were inserted.
  EXPECT_EQ(Walk(1), (std::vector<int>{1, 2, 300, 3, 256, 65535}));
  EXPECT_EQ(Walk(1, false), (std::vector<int>{65535, 256, 3, 300, 2, 1}));
  // Segment 1 is plain bytes ("AN" < "An" < "Be" < "an" < "be" < "ca"), segment 2 numeric.
  EXPECT_EQ(Walk(2), (std::vector<int>{300, 1, 3, 2, 256, 65535}));

  EXPECT_EQ(file_.Insert(Person(2, "other")), rm::kDuplicateKey);
  EXPECT_EQ(Walk(0).size(), 6u) << "a refused insert leaves nothing behind";
}

TEST_F(RecordManagerTest, ReadsByKeyValueAndMovesAroundTheCurrentRecord) {
  MakePeople({{10, "a"}, {20, "b"}, {30, "c"}, {40, "d"}});
  const struct {
    int16_t op;
    uint16_t value;
    int16_t status;
    int found;
  } cases[] = {
      {rm::kGetEqual, 20, 0, 20},
      {rm::kGetEqual, 25, rm::kKeyNotFound, 0},
      {rm::kGetGreaterOrEqual, 20, 0, 20},
      {rm::kGetGreaterOrEqual, 21, 0, 30},
      {rm::kGetGreater, 20, 0, 30},
      {rm::kGetGreater, 40, rm::kEndOfFile, 0},
      {rm::kGetLessOrEqual, 20, 0, 20},
      {rm::kGetLessOrEqual, 19, 0, 10},
      {rm::kGetLess, 20, 0, 10},
      {rm::kGetLess, 10, rm::kEndOfFile, 0},
      {rm::kGetGreaterOrEqual, 41, rm::kEndOfFile, 0},
  };
  for (const auto& c : cases) {
    std::string key = U16(c.value), record;
    EXPECT_EQ(file_.Op(c.op, 0, &key, &record), c.status) << c.op << " " << c.value;
    if (c.status == 0) {
      EXPECT_EQ(key, U16(c.found)) << "the key buffer answers the record's key";
      EXPECT_EQ(record, Person(c.found, std::string(1, static_cast<char>('a' + c.found / 10 - 1))));
    }
  }
  // From 20: next is 30, and along key 1 the same record continues the walk.
  std::string key = U16(20), record;
  ASSERT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), 0);
  key.assign(8, '\0');
  ASSERT_EQ(file_.Op(rm::kGetNext, 1, &key, &record), 0);
  EXPECT_EQ(record.substr(0, 2), U16(30));
  // Get Position and Get Direct.
  std::string position;
  key = U16(0);
  ASSERT_EQ(file_.Op(rm::kGetPosition, 0, &key, &position), 0);
  ASSERT_EQ(position.size(), 4u);
  ASSERT_EQ(file_.Op(rm::kGetFirst, 0, &key, &record), 0);
  std::string direct = position;
  ASSERT_EQ(file_.Op(rm::kGetDirect, 0, &key, &direct), 0);
  EXPECT_EQ(direct.substr(0, 2), U16(30));
  ASSERT_EQ(file_.Op(rm::kGetNext, 0, &key, &record), 0);
  EXPECT_EQ(record.substr(0, 2), U16(40)) << "Get Direct makes its record the current one";
  direct = std::string("\x77\x00\x00\x00", 4);
  EXPECT_EQ(file_.Op(rm::kGetDirect, 0, &key, &direct), rm::kInvalidPosition);
}

TEST_F(RecordManagerTest, AfterADeleteNextAndPreviousGiveTheNeighboursAndPositionsAreNotReused) {
  MakePeople({{10, "a"}, {20, "b"}, {30, "c"}});
  std::string key = U16(30), record, position;
  ASSERT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), 0);
  ASSERT_EQ(file_.Op(rm::kGetPosition, 0, &key, &position), 0);
  ASSERT_EQ(file_.Simple(rm::kDelete), 0);
  EXPECT_EQ(file_.Simple(rm::kDelete), rm::kNoCurrentRecord);
  ASSERT_EQ(file_.Insert(Person(30, "c")), 0);
  std::string new_position;
  ASSERT_EQ(file_.Op(rm::kGetPosition, 0, &key, &new_position), 0);
  EXPECT_NE(new_position, position) << "the deleted record's position is never given again";

  key = U16(20);
  ASSERT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), 0);
  ASSERT_EQ(file_.Simple(rm::kDelete), 0);
  ASSERT_EQ(file_.Op(rm::kGetNext, 0, &key, &record), 0);
  EXPECT_EQ(record.substr(0, 2), U16(30));
  key = U16(20);
  EXPECT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), rm::kKeyNotFound);
  ASSERT_EQ(file_.Op(rm::kGetFirst, 0, &key, &record), 0);
  ASSERT_EQ(file_.Simple(rm::kDelete), 0);
  ASSERT_EQ(file_.Op(rm::kGetPrevious, 0, &key, &record), rm::kEndOfFile);
  // Emptying a file the way the listing does: delete, then Get Next.
  ASSERT_EQ(file_.Op(rm::kGetFirst, 0, &key, &record), 0);
  int deleted = 0;
  do {
    ASSERT_EQ(file_.Simple(rm::kDelete), 0);
    ++deleted;
  } while (file_.Op(rm::kGetNext, 0, &key, &record) == 0);
  EXPECT_EQ(deleted, 1);
  EXPECT_TRUE(Walk(0).empty());
}

TEST_F(RecordManagerTest, AWalkSeesItsOwnChangesAtOnceAndOthersOnceItsReadAheadIsStale) {
  MakePeople({{10, "a"}, {20, "b"}, {30, "c"}, {40, "d"}, {50, "e"}});
  std::string key, record;
  ASSERT_EQ(file_.Op(rm::kGetFirst, 0, &key, &record), 0);
  ASSERT_EQ(file_.Op(rm::kGetNext, 0, &key, &record), 0);  // 20, and 30 to 50 read ahead
  ASSERT_EQ(file_.Insert(Person(35, "own")), 0);           // current: 35
  ASSERT_EQ(file_.Op(rm::kGetNext, 0, &key, &record), 0);  // 40, and 50 read ahead
  EXPECT_EQ(record.substr(0, 2), U16(40)) << "the walk goes on from the inserted record";

  RecordManager other_program(env_);
  RecordFile other(other_program);
  ASSERT_EQ(other.Open("PEOPLE.DAT"), 0);
  std::string other_key = U16(50), other_record;
  ASSERT_EQ(other.Op(rm::kGetEqual, 0, &other_key, &other_record), 0);
  ASSERT_EQ(other.Simple(rm::kDelete), 0);
  ASSERT_EQ(other.Insert(Person(45, "theirs")), 0);
  env_.AdvanceClock(21);
  ASSERT_EQ(file_.Op(rm::kGetNext, 0, &key, &record), 0);
  EXPECT_EQ(record.substr(0, 2), U16(45));
  EXPECT_EQ(file_.Op(rm::kGetNext, 0, &key, &record), rm::kEndOfFile);
  EXPECT_EQ(Walk(0, false), (std::vector<int>{45, 40, 35, 30, 20, 10}));
}

TEST_F(RecordManagerTest, LengthsAndArgumentsOutsideTheirLimitsAnswerAStatus) {
  MakePeople({{10, "a"}});
  std::string key = U16(10), record;
  // A short data buffer: the record is cut, and 22 says so.
  ASSERT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record, 5), rm::kDataBufferTooShort);
  EXPECT_EQ(record, Person(10, "a").substr(0, 5));
  EXPECT_EQ(file_.Insert(Person(11, "b").substr(0, 15)), rm::kInvalidRecordLength);
  EXPECT_EQ(file_.Op(rm::kGetEqual, 3, &key, &record), rm::kInvalidKeyNumber);
  EXPECT_EQ(file_.Op(rm::kGetEqual, -1, &key, &record), rm::kInvalidKeyNumber);
  EXPECT_EQ(file_.Simple(99), rm::kInvalidOperation);
  EXPECT_EQ(file_.Simple(rm::kInsert + rm::kSingleRecordLock), rm::kInvalidOperation);

  std::string data(10, '\0'), small_key(1, '\0');
  uint32_t length = 11;
  EXPECT_EQ(file_.Call(rm::kGetFirst, data, &length, small_key, 1, 0), rm::kLengthBeyondBuffer);
  length = 10;
  EXPECT_EQ(file_.Call(rm::kGetFirst, data, &length, small_key, 2, 0), rm::kLengthBeyondBuffer);
  EXPECT_EQ(file_.Call(rm::kGetFirst, data, &length, small_key, 1, 0), rm::kKeyBufferTooShort);
  EXPECT_EQ(data, std::string(10, '\0')) << "nothing was read";

  // Update keeps key 0, which may not change; key 1 may.
  ASSERT_EQ(file_.Op(rm::kGetFirst, 0, &key, &record), 0);
  std::string changed = Person(10, "zed");
  EXPECT_EQ(file_.Op(rm::kUpdate, 0, &key, &changed), 0);
  changed = Person(12, "zed");
  EXPECT_EQ(file_.Op(rm::kUpdate, 0, &key, &changed), rm::kKeyNotModifiable);
  EXPECT_EQ(Walk(1), (std::vector<int>{10}));

  RecordFile closed(manager_);
  EXPECT_EQ(closed.Simple(rm::kGetFirst), rm::kFileNotOpen);
  ASSERT_EQ(file_.Close(), 0);
  EXPECT_EQ(file_.Simple(rm::kGetFirst), rm::kFileNotOpen);
}

TEST_F(RecordManagerTest, FilesThatAreNotOursOrDamagedAreRefusedAndLeftAsTheyWere) {
  // A data file with enough records to span many pages, then cut in half.
  {
    RecordFile maker(manager_);
    ASSERT_EQ(maker.Create("FULL.DAT", People()), 0);
    ASSERT_EQ(maker.Open("FULL.DAT"), 0);
    for (uint16_t i = 0; i < 700; ++i)
      ASSERT_EQ(maker.Insert(Person(i, "n" + std::to_string(i))), 0);
    ASSERT_EQ(maker.Close(), 0);
  }
  const std::string full = ReadFileBytes(dir_.Path("FULL.DAT"));
  ASSERT_GT(full.size(), 20000u);
  WriteFileBytes(dir_.Path("HALF.DAT"), full.substr(0, full.size() / 2));
  std::string noise(5000, '\0');
  uint32_t x = 12345;
  for (char& c : noise) c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
  WriteFileBytes(dir_.Path("NOISE.DAT"), noise);
  WriteFileBytes(dir_.Path("EMPTY.DAT"), "");
  WriteFileBytes(dir_.Path("TEXT.DAT"), "SQLite format 3 but not really\n");
  sqlite3* foreign = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.Path("FOREIGN.DAT").c_str(), &foreign), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(foreign, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(foreign);
  ::mkdir(dir_.Path("DIR.DAT").c_str(), 0777);

  const struct {
    const char* name;
    int16_t status;
  } cases[] = {{"HALF.DAT", rm::kIoError},         {"NOISE.DAT", rm::kNotADataFile},
               {"EMPTY.DAT", rm::kNotADataFile},   {"TEXT.DAT", rm::kNotADataFile},
               {"FOREIGN.DAT", rm::kNotADataFile}, {"DIR.DAT", rm::kNotADataFile}};
  for (const auto& c : cases) {
    const std::string before = ReadFileBytes(dir_.Path(c.name));
    RecordFile file(manager_);
    EXPECT_EQ(file.Open(c.name), c.status) << c.name;
    EXPECT_EQ(ReadFileBytes(dir_.Path(c.name)), before) << c.name;
  }
}

TEST_F(RecordManagerTest, DamageInsideOurOwnFilesAnswersAStatusAtTheDamage) {
  MakePeople({{1, "a"}, {2, "b"}});
  ASSERT_EQ(file_.Close(), 0);
  auto edit = [&](const std::string& name, const char* sql) {
    testing::WriteFileBytes(dir_.Path(name), ReadFileBytes(dir_.Path("PEOPLE.DAT")));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir_.Path(name).c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
  };
  edit("BADDEF.DAT", "UPDATE meta SET value = x'0100' WHERE name = 'definition'");
  edit("FORMAT.DAT", "UPDATE meta SET value = 7 WHERE name = 'format'");
  edit("NOKEYS.DAT", "DROP INDEX key2; ALTER TABLE records DROP COLUMN k2");
  edit("SHORT.DAT", "UPDATE records SET data = x'0200' WHERE pos = 2");
  RecordFile file(manager_);
  EXPECT_EQ(file.Open("BADDEF.DAT"), rm::kIoError);
  EXPECT_EQ(file.Open("FORMAT.DAT"), rm::kNotADataFile);
  EXPECT_EQ(file.Open("NOKEYS.DAT"), rm::kNotADataFile);
  ASSERT_EQ(file.Open("SHORT.DAT"), 0);
  std::string key = U16(1), record;
  EXPECT_EQ(file.Op(rm::kGetEqual, 0, &key, &record), 0);
  EXPECT_EQ(file.Op(rm::kGetNext, 0, &key, &record), rm::kIoError);
  key = U16(2);
  EXPECT_EQ(file.Op(rm::kGetEqual, 0, &key, &record), rm::kIoError);
}

TEST_F(RecordManagerTest, RecordLocksBelongToOneOpenFileAndExclusiveOpensKeepOthersOut) {
  MakePeople({{10, "a"}, {20, "b"}});
  RecordManager other_program(env_);
  RecordFile other(other_program);
  ASSERT_EQ(other.Open("PEOPLE.DAT"), 0);

  std::string key = U16(10), record;
  ASSERT_EQ(file_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record), 0);
  std::string other_key = U16(10), other_record;
  EXPECT_EQ(other.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &other_key, &other_record),
            rm::kRecordLocked);
  EXPECT_TRUE(other_record.empty() || other_record == std::string(1536, '\0'));
  EXPECT_EQ(other.Op(rm::kGetEqual, 0, &other_key, &other_record), 0)
      << "a read without lock passes";
  EXPECT_EQ(other.Simple(rm::kDelete), rm::kRecordLocked);
  // Reading another record gives the lock up.
  key = U16(20);
  ASSERT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), 0);
  other_key = U16(10);
  EXPECT_EQ(other.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &other_key, &other_record), 0);
  // Closing (or Reset) gives it up too.
  key = U16(10);
  EXPECT_EQ(file_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record), rm::kRecordLocked);
  ASSERT_EQ(other.Simple(rm::kReset), 0);
  EXPECT_EQ(file_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record), 0);

  // Exclusive: refused while another has the file open, then keeps others out.
  RecordFile maintenance(other_program);
  EXPECT_EQ(maintenance.Open("PEOPLE.DAT", rm::kOpenExclusive), rm::kFileLocked);
  ASSERT_EQ(file_.Close(), 0);
  ASSERT_EQ(maintenance.Open("PEOPLE.DAT", rm::kOpenExclusive), 0);
  EXPECT_EQ(file_.Open("PEOPLE.DAT"), rm::kFileLocked);
  EXPECT_EQ(file_.Create("PEOPLE.DAT", People(), 0), rm::kFileLocked)
      << "no replacing an open file";
  ASSERT_EQ(maintenance.Close(), 0);
  EXPECT_EQ(file_.Open("PEOPLE.DAT"), 0);
}

TEST_F(RecordManagerTest, ADatabaseBusyBeyondAShortWaitAnswers85OnTheEnvClock) {
  MakePeople({{10, "a"}});
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.Path("PEOPLE.DAT").c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const int64_t before = env_.SleptMillis();
  EXPECT_EQ(file_.Insert(Person(20, "b")), rm::kFileLocked);
  EXPECT_GE(env_.SleptMillis() - before, rm::kBusyBudgetMillis);
  EXPECT_LE(env_.SleptMillis() - before, rm::kBusyBudgetMillis + 10);
  std::string key = U16(10), record;
  EXPECT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), 0) << "readers are not held up by a writer";
  ASSERT_EQ(sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(writer);
  EXPECT_EQ(file_.Insert(Person(20, "b")), 0);
}

TEST_F(RecordManagerTest, TransactionsKeepAllOrNothing) {
  MakePeople({{10, "a"}});
  EXPECT_EQ(file_.Simple(rm::kEndTransaction), rm::kNoTransaction);
  ASSERT_EQ(file_.Simple(rm::kBeginTransaction), 0);
  EXPECT_EQ(file_.Simple(rm::kBeginTransaction), rm::kTransactionActive);
  ASSERT_EQ(file_.Insert(Person(20, "b")), 0);
  EXPECT_EQ(file_.Insert(Person(10, "dup")), rm::kDuplicateKey);
  ASSERT_EQ(file_.Insert(Person(30, "c")), 0);
  EXPECT_EQ(Walk(0), (std::vector<int>{10, 20, 30}));
  ASSERT_EQ(file_.Simple(rm::kAbortTransaction), 0);
  EXPECT_EQ(Walk(0), (std::vector<int>{10}));
  ASSERT_EQ(file_.Simple(rm::kBeginTransaction), 0);
  ASSERT_EQ(file_.Insert(Person(40, "d")), 0);
  ASSERT_EQ(file_.Simple(rm::kEndTransaction), 0);
  ASSERT_EQ(file_.Close(), 0);
  ASSERT_EQ(file_.Open("PEOPLE.DAT"), 0);
  EXPECT_EQ(Walk(0), (std::vector<int>{10, 40}));
}

}  // namespace
}  // namespace zul
