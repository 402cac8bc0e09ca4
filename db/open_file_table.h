// The table of open data files: 40 slots, numbered 1 to 40, each binding a
// caller's file id to one open file of the record manager, the caller's
// record variable, and the file's current key, key range and lock mode.
//
// Invariants: a slot is free exactly when its file_id is 0, so 0 is never a
// file id; key_value always has the length of the key it was last fitted
// to; a negative key_number marks a key range whose first step is still to
// come (it holds minus the key number minus 1).
#ifndef ZUL_DB_OPEN_FILE_TABLE_H_
#define ZUL_DB_OPEN_FILE_TABLE_H_

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/record_manager/record_manager.h"

namespace zul {

inline constexpr int16_t kMaxDataFiles = 40;

struct FileSlot {
  int16_t file_id = 0;
  PositionBlock position_block{};
  std::span<char> record_buffer;  // the caller's record variable
  int32_t record_length = 0;
  int16_t key_number = 0;
  std::string key_value;
  int16_t lock_mode = 0;  // 0 no lock, 1 lock and wait, 2 lock without waiting
  std::string range_low;
  std::string range_high;
};

struct OpenFileTable {
  // slots[1] to slots[kMaxDataFiles]; slots[0] is never used as a slot.
  std::array<FileSlot, kMaxDataFiles + 1> slots;
  // The spare position block (slot 0), for Create and Reset.
  PositionBlock spare_block{};
  // Pairs of bytes: a slot number and the lock mode saved for it, most
  // recent last. Shared by all files.
  std::string lock_mode_stack;
};

}  // namespace zul

#endif  // ZUL_DB_OPEN_FILE_TABLE_H_
