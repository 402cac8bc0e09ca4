// Record operations through the open-file table: key lookups with fitted
// values, key ranges both ways, skips, positions, inserts and deletes with
// their log, lock modes and the wait for a record locked elsewhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/insert_log.h"
#include "tests/db/record_fixture.h"

namespace zul {
namespace {

using testing::Definition;
using testing::ReadFileBytes;
using testing::RecordFile;
using testing::RecordFixture;
using testing::U16;

// Records of 20 bytes: a 10-byte name (key 0, unique), a 2-byte number
// (key 1, binary, duplicates allowed), 8 bytes of payload.
std::string Names() {
  return Definition(20, {{{1, 10, 0}}, {{11, 2, rm::kFlagBinary | rm::kFlagDuplicates}}});
}

std::string NameRecord(const std::string& name, uint16_t number) {
  std::string r = name;
  r.resize(10, '\0');
  r += U16(number) + "payload.";
  return r;
}

class RecordOperationsTest : public RecordFixture {
 protected:
  RecordOperationsTest() : record_(20, '\0') {
    Dictionary("NAMES", Names());
    Open(146, "NAMES", &record_);
  }

  // Fills the bound record variable in place: it must keep its buffer.
  void Put(const std::string& bytes) { std::copy(bytes.begin(), bytes.end(), record_.begin()); }

  void Insert(const std::string& name, uint16_t number) {
    Put(NameRecord(name, number));
    int16_t status = -1;
    access_.InsertRecord(146, &status);
    ASSERT_EQ(status, 0) << name;
  }

  std::string Name() const { return record_.substr(0, record_.find('\0')); }

  // The names a range walk reads, and the status that ended it.
  std::vector<std::string> Range(int16_t key, const std::string& from, const std::string& to,
                                 int16_t* last = nullptr) {
    int16_t status = 0;
    access_.SetKeyRange(146, key, from, to, &status);
    EXPECT_EQ(status, 0);
    std::vector<std::string> names;
    while ((status = access_.ReadNextInRange(146)) == 0) names.push_back(Name());
    if (last != nullptr) *last = status;
    return names;
  }

  std::string record_;
};

TEST_F(RecordOperationsTest, FindByKeyFitsTheValueToTheKey) {
  Insert("AB", 1);
  Insert("ABC", 2);
  Insert("AC", 3);
  EXPECT_EQ(access_.FindByKey(146, 0, "AB", 0), 0);
  EXPECT_EQ(Name(), "AB") << "\"AB\" padded with zero bytes matches only \"AB\" itself";
  EXPECT_EQ(table_.slots[40].key_value, std::string("AB") + std::string(8, '\0'));
  EXPECT_EQ(access_.FindByKey(146, 0, "AA", 0), rm::kKeyNotFound);
  EXPECT_EQ(Name(), "AB") << "a failed read leaves the record variable as it was";
  EXPECT_EQ(access_.FindByKey(146, 0, "ABD", 1), 0);
  EXPECT_EQ(Name(), "AC");
  EXPECT_EQ(access_.FindByKey(146, 0, "ABZZZZZZZZZZZZ", -1), 0);  // cut to 10 bytes
  EXPECT_EQ(Name(), "ABC");
  int16_t status = -1;
  access_.FindByKeyStatus(146, 1, U16(3), 0, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Name(), "AC");
  access_.FindByKeyStatus(146, 2, "AB", 0, &status);
  EXPECT_EQ(status, db::kNoSuchKey);
  EXPECT_EQ(access_.FindByKey(147, 0, "AB", 0), db::kFileIdNotOpen);
}

TEST_F(RecordOperationsTest, RangesWalkUpOrDownAndEndWith9BeyondTheToValue) {
  for (const char* name : {"BERTA", "ANNA", "DAVID", "CARLES", "ELNA", "CESC"}) Insert(name, 1);
  EXPECT_EQ(Range(0, "", ""),
            (std::vector<std::string>{"ANNA", "BERTA", "CARLES", "CESC", "DAVID", "ELNA"}));
  EXPECT_EQ(Range(0, "C", ""), (std::vector<std::string>{"CARLES", "CESC", "DAVID", "ELNA"}))
      << "an empty to value runs to the end";
  int16_t last = 0;
  EXPECT_EQ(Range(0, "B", "CARLES", &last), (std::vector<std::string>{"BERTA", "CARLES"}));
  EXPECT_EQ(last, db::kEndOfRange) << "CESC was read, lies beyond the range, and answers 9";
  EXPECT_EQ(table_.slots[40].key_number, 0);
  EXPECT_TRUE(table_.slots[40].range_low.empty() && table_.slots[40].range_high.empty());
  EXPECT_EQ(access_.ReadNextInRange(146), db::kEndOfRange) << "the range is gone";
  // From high to low: walked backwards, both ends included even when the
  // values are shorter than the key.
  EXPECT_EQ(Range(0, "DAVID", "BERTA", &last),
            (std::vector<std::string>{"DAVID", "CESC", "CARLES", "BERTA"}));
  EXPECT_EQ(last, db::kEndOfRange);
  EXPECT_EQ(Range(0, "D", "C"), (std::vector<std::string>{"DAVID", "CESC", "CARLES"}));
  EXPECT_EQ(Range(0, "CE", "B"), (std::vector<std::string>{"CESC", "CARLES", "BERTA"}));
  EXPECT_TRUE(Range(0, "F", "").empty());
  // A binary key walks in numeric order, duplicates in insertion order.
  Insert("N300", 300);
  Insert("N2", 2);
  Insert("N256", 256);
  Insert("N2b", 2);
  EXPECT_EQ(Range(1, U16(2), U16(299)), (std::vector<std::string>{"N2", "N2b", "N256"}));
  int16_t status = 0;
  access_.SetKeyRange(146, 5, "", "", &status);
  EXPECT_EQ(status, db::kNoSuchKey);
  access_.SetKeyRange(99, 0, "", "", &status);
  EXPECT_EQ(status, db::kFileIdNotOpen);
}

TEST_F(RecordOperationsTest, EmptyingAFileByDeletingAlongARange) {
  for (const char* name : {"A", "B", "C", "D"}) Insert(name, 1);
  int16_t status = 0;
  access_.SetKeyRange(146, 0, "", "", &status);
  int deleted = 0;
  while (access_.ReadNextInRange(146) == 0) {
    access_.DeleteRecord(146, &status);
    ASSERT_EQ(status, 0);
    ++deleted;
  }
  EXPECT_EQ(deleted, 4);
  EXPECT_EQ(access_.FindByKey(146, 0, "", 1), rm::kEndOfFile);
  access_.DeleteRecord(146, &status);
  EXPECT_EQ(status, rm::kNoCurrentRecord);
  EXPECT_EQ(table_.slots[40].key_value, std::string(10, '\0'))
      << "a failed delete zeroes the key value";
}

TEST_F(RecordOperationsTest, SkipRecordsMovesAlongTheCurrentKeyAndPositionsReadBack) {
  for (const char* name : {"A", "B", "C", "D", "E"}) Insert(name, 1);
  ASSERT_EQ(access_.FindByKey(146, 0, "A", 0), 0);
  int16_t status = -1;
  access_.SkipRecords(146, 0, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Name(), "A");
  access_.SkipRecords(146, 3, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Name(), "D");
  EXPECT_EQ(table_.slots[40].key_value, std::string("D") + std::string(9, '\0'));
  access_.SkipRecords(146, -2, &status);
  EXPECT_EQ(Name(), "B");
  access_.SkipRecords(146, 9, &status);
  EXPECT_EQ(status, rm::kEndOfFile);
  EXPECT_EQ(Name(), "B") << "only the last step reaches the record variable";

  ASSERT_EQ(access_.FindByKey(146, 0, "C", 0), 0);
  const int32_t position = access_.RecordPosition(146, 0);
  EXPECT_GT(position, 0);
  ASSERT_EQ(access_.FindByKey(146, 0, "E", 0), 0);
  EXPECT_EQ(access_.RecordPosition(146, position), 0);
  EXPECT_EQ(Name(), "C");
  EXPECT_EQ(table_.slots[40].key_value, std::string("C") + std::string(9, '\0'));
  access_.SkipRecords(146, 1, &status);
  EXPECT_EQ(Name(), "D") << "the record read by position is the current one";
  EXPECT_EQ(access_.RecordPosition(146, 999999), rm::kInvalidPosition);
  EXPECT_EQ(access_.RecordPosition(147, 0), 0);
}

TEST_F(RecordOperationsTest, EveryInsertIsLoggedAndAFailedOneZeroesTheKeyValue) {
  Insert("A", 1);
  Put(NameRecord("A", 2));
  int16_t status = 0;
  access_.InsertRecord(146, &status);
  EXPECT_EQ(status, rm::kDuplicateKey);
  EXPECT_EQ(table_.slots[40].key_value, std::string(10, '\0'));
  access_.InsertRecord(147, &status);
  EXPECT_EQ(status, db::kFileIdNotOpen);
  EXPECT_EQ(ReadFileBytes(dir_.Path("db.log")),
            InsertLogLine(146, 2, 0) + InsertLogLine(146, 2, 5) + InsertLogLine(147, 2, 3));
}

TEST_F(RecordOperationsTest, ARecordVariableShorterThanTheRecordReceivesOnlyWhatFits) {
  Insert("LONGNAME", 7);
  std::string small(6, '#');
  Open(200, "NAMES", &small);
  EXPECT_EQ(access_.FindByKey(200, 0, "LONGNAME", 0), 0);
  EXPECT_EQ(small, "LONGNA");
}

TEST_F(RecordOperationsTest, KeyCollatingFormFollowsTheCurrentKey) {
  Insert("A", 1);
  int16_t status = 0;
  access_.SetKeyRange(146, 1, "", "", &status);  // pending: the range's key counts
  EXPECT_EQ(access_.KeyCollatingForm(U16(1), 146), std::string("\x00\x01", 2));
  EXPECT_EQ(access_.FindByKey(146, 1, U16(1), 0), 0);
  EXPECT_EQ(access_.KeyCollatingForm(U16(1), 146), std::string("\x00\x01", 2));
  EXPECT_EQ(access_.KeyCollatingForm(U16(256), 146), std::string("\x01\x00", 2));
  EXPECT_EQ(access_.CurrentKeyCollating(146), std::string("\x00\x01", 2));
  EXPECT_EQ(access_.FindByKey(146, 0, "A", 0), 0);
  EXPECT_EQ(access_.KeyCollatingForm("xy", 146), "xy");
  EXPECT_EQ(access_.KeyCollatingForm(U16(1), 147), U16(1));
  EXPECT_EQ(access_.CurrentKeyCollating(147), "");
}

TEST_F(RecordOperationsTest, LockModesAreSavedAndRestoredPerFile) {
  int16_t status = 0;
  const int16_t slot = access_.FindFileSlot(146);
  access_.SetLockMode(146, "a", &status);
  EXPECT_EQ(table_.slots[slot].lock_mode, 1);
  access_.SetLockMode(146, "+b", &status);
  EXPECT_EQ(table_.slots[slot].lock_mode, 2);
  access_.SetLockMode(146, "+d?", &status);
  EXPECT_EQ(table_.slots[slot].lock_mode, 0);
  access_.SetLockMode(146, "-", &status);
  EXPECT_EQ(table_.slots[slot].lock_mode, 2);
  access_.SetLockMode(146, "-", &status);
  EXPECT_EQ(table_.slots[slot].lock_mode, 1);
  access_.SetLockMode(146, "-", &status);
  EXPECT_EQ(table_.slots[slot].lock_mode, 1) << "no saved pair: nothing changes";
  EXPECT_EQ(status, 0);
  access_.SetLockMode(147, "D", &status);
  EXPECT_EQ(status, db::kFileIdNotOpen);
}

class LockWaitTest : public RecordOperationsTest {
 protected:
  LockWaitTest() : other_(other_program_) {
    Insert("A", 1);
    Insert("B", 2);
    EXPECT_EQ(other_.Open("NAMES.dat"), 0);
  }
  // The other program locks the record of `name`.
  void OtherLocks(const std::string& name) {
    std::string key = name, record;
    key.resize(10, '\0');
    ASSERT_EQ(other_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record), 0);
  }
  int16_t OtherTriesToLock(const std::string& name) {
    std::string key = name, record;
    key.resize(10, '\0');
    return other_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record);
  }

  RecordManager other_program_{env_};
  RecordFile other_;
};

TEST_F(LockWaitTest, ModeTwoAnswers84AtOnceAndModeZeroTakesNoLock) {
  OtherLocks("A");
  int16_t status = 0;
  access_.SetLockMode(146, "B", &status);
  EXPECT_EQ(access_.FindByKey(146, 0, "A", 0), rm::kRecordLocked);
  EXPECT_TRUE(env_.Sleeps().empty());
  access_.SetLockMode(146, "D", &status);
  EXPECT_EQ(access_.FindByKey(146, 0, "A", 0), 0);
  EXPECT_EQ(access_.FindByKey(146, 0, "B", 0), 0);
  EXPECT_EQ(OtherTriesToLock("B"), 0) << "a read in mode 0 left no lock";
  EXPECT_TRUE(ui_.calls.empty());
}

TEST_F(LockWaitTest, ModeOneWaitsAndShowsTheMessageOnlyWhenTheLockOutlastsTheFirstWait) {
  int16_t status = 0;
  access_.SetLockMode(146, "A", &status);
  for (int released_after : {1, 4}) {
    OtherLocks("A");
    ui_.calls.clear();
    int sleeps = 0;
    env_.on_sleep = [&] {
      if (++sleeps == released_after) other_.Close();
    };
    // 0 gives the shortest wait (1 ms), 2^31 the middle one (5001 ms).
    env_.ScriptRandom({0, 2147483648u, 4294967295u, 0});
    const int64_t before = env_.SleptMillis();
    EXPECT_EQ(access_.FindByKey(146, 0, "A", 0), 0);
    EXPECT_EQ(Name(), "A");
    if (released_after == 1) {
      EXPECT_TRUE(ui_.calls.empty());
      EXPECT_EQ(env_.SleptMillis() - before, 1);
    } else {
      EXPECT_EQ(ui_.calls,
                (std::vector<std::string>{"ShowMessage 24 FITXER BLOQUEJAT. ESPEREU UN MOMENT.",
                                          "PopWindow"}));
      EXPECT_EQ(env_.SleptMillis() - before, 1 + 5001 + 10001 + 1);
    }
    env_.on_sleep = nullptr;
    EXPECT_EQ(access_.FindByKey(146, 0, "B", 0), 0);  // gives the lock of A up
    ASSERT_EQ(other_.Open("NAMES.dat"), 0);
  }
  // Only the last step of a skip locks.
  access_.SetLockMode(146, "D", &status);
  ASSERT_EQ(access_.FindByKey(146, 0, "A", 0), 0);  // gives the lock of B up
  OtherLocks("B");
  access_.SetLockMode(146, "B", &status);
  ASSERT_EQ(access_.FindByKey(146, 0, "", 1), 0);
  Insert("C", 3);
  ASSERT_EQ(access_.FindByKey(146, 0, "A", 0), 0);
  access_.SkipRecords(146, 2, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Name(), "C");
  EXPECT_EQ(OtherTriesToLock("C"), rm::kRecordLocked);
}

}  // namespace
}  // namespace zul
