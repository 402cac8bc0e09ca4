// Record operations: key lookups, key ranges, skips, positions, inserts and
// deletes, lock modes and the wait for locked records.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/bytes.h"
#include "core/text.h"
#include "db/insert_log.h"
#include "db/messages.h"
#include "db/record_access.h"

namespace zul {
namespace {

// Reads that lock a record when the file's lock mode asks for it.
bool TakesLockBias(int16_t operation) {
  return (operation >= 5 && operation <= 13) || operation == 19 ||
         (operation >= 22 && operation <= 24) || (operation >= 33 && operation <= 35);
}

std::string Fit(std::string_view value, size_t length, char fill) {
  std::string fitted(value.substr(0, length));
  fitted.resize(length, fill);
  return fitted;
}

int16_t PassingShort(int16_t status) { return status == rm::kDataBufferTooShort ? 0 : status; }

// A pending range keeps its key number as minus the number minus 1.
int16_t RealKeyNumber(int16_t key_number) {
  return key_number < 0 ? static_cast<int16_t>(-key_number - 1) : key_number;
}

}  // namespace

int16_t RecordAccess::RunOperation(int16_t slot_number, int16_t operation) {
  FileSlot& slot = table_.slots[slot_number];
  if (slot.lock_mode != 0 && TakesLockBias(operation)) operation += rm::kSingleRecordLock;
  const size_t record_length = std::min<size_t>(
      static_cast<size_t>(std::max<int32_t>(slot.record_length, 0)), kDataBufferBytes);
  bool message_shown = false;
  int16_t status;
  for (int attempt = 1;; ++attempt) {
    // The data buffer carries the record variable's own contents, so a read
    // that fails leaves the variable as it was.
    std::string data(kDataBufferBytes, '\0');
    const size_t offered = std::min(record_length, slot.record_buffer.size());
    std::copy_n(slot.record_buffer.begin(), offered, data.begin());
    uint32_t data_length = static_cast<uint32_t>(record_length);
    std::string key(kKeyBufferBytes, '\0');
    std::copy(slot.key_value.begin(), slot.key_value.end(), key.begin());
    status = Call(operation, slot.position_block, &data, &data_length, &key, slot.key_value.size(),
                  slot.key_number);
    const size_t answered =
        std::min<size_t>({data_length, record_length, slot.record_buffer.size()});
    std::copy_n(data.begin(), answered, slot.record_buffer.begin());
    slot.key_value = key.substr(0, slot.key_value.size());

    if ((status != rm::kRecordLocked && status != rm::kFileLocked) || slot.lock_mode != 1) break;
    // The message appears only when the lock outlasts the first wait.
    if (attempt == 2 && !message_shown) {
      ui_.ShowMessage(24, std::string(LockMessage(session_.LanguageCode())));
      message_shown = true;
    }
    const double fraction = env_.Random() / 4294967296.0;
    env_.SleepMillis(std::llround(fraction * 10000 + 1));
  }
  if (message_shown) ui_.PopWindow();
  return status;
}

void RecordAccess::SetLockMode(int16_t file_id, std::string_view letters, int16_t* status) {
  const int16_t n = file_id == 0 ? 0 : FindFileSlot(file_id);
  if (n <= 0) {
    *status = db::kFileIdNotOpen;
    return;
  }
  FileSlot& slot = table_.slots[n];
  std::string& stack = table_.lock_mode_stack;
  for (char c : letters) {
    switch (UpperChar(c)) {
      case 'D':
        slot.lock_mode = 0;
        break;
      case 'A':
        slot.lock_mode = 1;
        break;
      case 'B':
        slot.lock_mode = 2;
        break;
      case '+':
        stack.push_back(static_cast<char>(n));
        stack.push_back(static_cast<char>(slot.lock_mode));
        break;
      case '-':
        for (size_t i = stack.size(); i >= 2; i -= 2) {
          if (stack[i - 2] == static_cast<char>(n)) {
            slot.lock_mode = static_cast<int16_t>(stack[i - 1]);
            stack.erase(i - 2, 2);
            break;
          }
        }
        break;
      default:
        break;
    }
  }
}

int16_t RecordAccess::FindByKey(int16_t file_id, int16_t key_number, std::string_view key_value,
                                int16_t direction) {
  const int16_t n = file_id == 0 ? 0 : FindFileSlot(file_id);
  if (n <= 0) return db::kFileIdNotOpen;
  int16_t key_length, record_length;
  GetKeyInfo(file_id, key_number, &key_length, &record_length);
  if (key_length == 0) return db::kNoSuchKey;
  FileSlot& slot = table_.slots[n];
  slot.key_number = key_number;
  slot.key_value = Fit(key_value, static_cast<size_t>(key_length), '\0');
  const int16_t operation = direction == 0  ? rm::kGetEqual
                            : direction > 0 ? rm::kGetGreaterOrEqual
                                            : rm::kGetLessOrEqual;
  return PassingShort(RunOperation(n, operation));
}

void RecordAccess::FindByKeyStatus(int16_t file_id, int16_t key_number, std::string_view key_value,
                                   int16_t direction, int16_t* status) {
  *status = FindByKey(file_id, key_number, key_value, direction);
}

void RecordAccess::SetKeyRange(int16_t file_id, int16_t key_number, std::string_view from,
                               std::string_view to, int16_t* status) {
  FileSlot* slot = SlotOf(file_id);
  if (slot == nullptr) {
    *status = db::kFileIdNotOpen;
    return;
  }
  int16_t key_length, record_length;
  GetKeyInfo(file_id, key_number, &key_length, &record_length);
  if (key_length == 0) {
    *status = db::kNoSuchKey;
    return;
  }
  const size_t length = static_cast<size_t>(key_length);
  slot->key_number = static_cast<int16_t>(-key_number - 1);
  slot->range_low = Fit(from, length, '\0');
  slot->range_high = Fit(to, length, '\xFF');
  // A range given from high to low is walked backwards. Its bounds are then
  // padded the other way round, so that it runs from everything that begins
  // with the from value down to everything that begins with the to value,
  // as an ascending range does; the direction stays the same.
  if (slot->range_low > slot->range_high) {
    slot->range_low = Fit(from, length, '\xFF');
    slot->range_high = Fit(to, length, '\0');
  }
}

int16_t RecordAccess::ReadNextInRange(int16_t file_id) {
  const int16_t n = file_id == 0 ? 0 : FindFileSlot(file_id);
  if (n <= 0) return db::kFileIdNotOpen;
  FileSlot& slot = table_.slots[n];
  // std::string compares bytes as unsigned values, a prefix first.
  const bool ascending = slot.range_low <= slot.range_high;
  int16_t operation;
  if (slot.key_number < 0) {
    slot.key_number = RealKeyNumber(slot.key_number);
    slot.key_value = slot.range_low;
    operation = ascending ? rm::kGetGreaterOrEqual : rm::kGetLessOrEqual;
  } else {
    operation = ascending ? rm::kGetNext : rm::kGetPrevious;
  }
  int16_t status = PassingShort(RunOperation(n, operation));
  if (status == 0 &&
      (ascending ? slot.key_value > slot.range_high : slot.key_value < slot.range_high)) {
    status = db::kEndOfRange;
  }
  if (status != 0) {
    slot.key_number = 0;
    slot.range_low.clear();
    slot.range_high.clear();
  }
  return status;
}

void RecordAccess::SkipRecords(int16_t file_id, int16_t count, int16_t* status) {
  const int16_t n = file_id == 0 ? 0 : FindFileSlot(file_id);
  if (n <= 0) {
    *status = db::kFileIdNotOpen;
    return;
  }
  *status = 0;
  if (count == 0) return;
  FileSlot& slot = table_.slots[n];
  const int16_t operation = count < 0 ? rm::kGetPrevious : rm::kGetNext;
  // The intermediate steps read into a scratch buffer, without lock or wait;
  // the engine needs the key's whole length in the key buffer's length.
  for (int remaining = std::abs(static_cast<int>(count)); remaining > 1 && *status == 0;
       --remaining) {
    std::string scratch(kDataBufferBytes, '\0');
    uint32_t length = kDataBufferBytes;
    std::string key(kKeyBufferBytes, '\0');
    std::copy(slot.key_value.begin(), slot.key_value.end(), key.begin());
    *status = PassingShort(Call(operation, slot.position_block, &scratch, &length, &key,
                                slot.key_value.size(), slot.key_number));
    slot.key_value = key.substr(0, slot.key_value.size());
  }
  if (*status == 0) *status = PassingShort(RunOperation(n, operation));
}

int32_t RecordAccess::RecordPosition(int16_t file_id, int32_t position) {
  FileSlot* slot = SlotOf(file_id);
  if (slot == nullptr) return 0;
  std::string data(kDataBufferBytes, '\0');
  uint32_t length = kDataBufferBytes;
  std::string key(kKeyBufferBytes, '\0');
  if (position == 0) {
    const int16_t status = Call(rm::kGetPosition, slot->position_block, &data, &length, &key, 0, 0);
    uint32_t answer = 0;
    if (status != 0 || !ReadU32(data, 0, &answer)) return 0;
    return static_cast<int32_t>(answer);
  }
  WriteU32(&data, 0, static_cast<uint32_t>(position));
  std::copy(slot->key_value.begin(), slot->key_value.end(), key.begin());
  const int16_t status = Call(rm::kGetDirect, slot->position_block, &data, &length, &key,
                              slot->key_value.size(), slot->key_number);
  slot->key_value = key.substr(0, slot->key_value.size());
  if (status == 0 || status == rm::kDataBufferTooShort) {
    const size_t record_length = static_cast<size_t>(std::max<int32_t>(slot->record_length, 0));
    const size_t answered = std::min<size_t>({length, record_length, slot->record_buffer.size()});
    std::copy_n(data.begin(), answered, slot->record_buffer.begin());
  }
  return PassingShort(status);
}

void RecordAccess::InsertRecord(int16_t file_id, int16_t* status) {
  *status = 0;
  const int16_t n = file_id == 0 ? 0 : FindFileSlot(file_id);
  if (n <= 0) {
    *status = db::kFileIdNotOpen;
  } else {
    *status = PassingShort(RunOperation(n, rm::kInsert));
    FileSlot& slot = table_.slots[n];
    if (*status != 0) slot.key_value.assign(slot.key_value.size(), '\0');
  }
  AppendInsertLog(env_, file_id, rm::kInsert, *status);
}

void RecordAccess::DeleteRecord(int16_t file_id, int16_t* status) {
  *status = 0;
  const int16_t n = file_id == 0 ? 0 : FindFileSlot(file_id);
  if (n <= 0) {
    *status = db::kFileIdNotOpen;
    return;
  }
  *status = PassingShort(RunOperation(n, rm::kDelete));
  FileSlot& slot = table_.slots[n];
  if (*status != 0) slot.key_value.assign(slot.key_value.size(), '\0');
}

std::string RecordAccess::KeyCollatingForm(std::string_view key_value, int16_t file_id) {
  FileSlot* slot = SlotOf(file_id);
  rm::FileDefinition layout;
  if (slot == nullptr || !StatDefinition(file_id, &layout)) return std::string(key_value);
  const int16_t key = RealKeyNumber(slot->key_number);
  return rm::CollateKey(layout, static_cast<size_t>(key), key_value);
}

std::string RecordAccess::CurrentKeyCollating(int16_t file_id) {
  FileSlot* slot = SlotOf(file_id);
  if (slot == nullptr) return "";
  const std::string value = slot->key_value;
  return KeyCollatingForm(value, file_id);
}

}  // namespace zul
