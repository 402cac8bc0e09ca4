// RecordManager: the record manager engine that keeps the suite's data files.
//
// A data file is one SQLite database (openable with the sqlite3 shell) made
// of a table `meta` (the file's definition, file_definition.h, and its format
// number) and a table `records`: one row per record with its 32-bit
// physical position, its bytes, and one column per key holding the key's
// collating form, each column with its own unique index. For a key that
// allows duplicates the column holds the collating form followed by the
// position (big-endian), so equal values come back in insertion order;
// without duplicates it holds the collating form alone, so the index
// refuses a second equal value. Positions come from an AUTOINCREMENT
// counter: they never change and are never given to another record.
//
// Guarantees:
//  - Every Insert, Update and Delete is committed (and flushed to disk)
//    when the call returns; a process killed at any instant leaves the file
//    consistent, with every completed call in place (SQLite's write-ahead log).
//  - Record locks (reads with operation code + 200) and the exclusive mode of
//    Open are open-file-description advisory locks on a companion file,
//    path + "-lck": they belong to one open file, never to SQLite, and die
//    with the process. A normal Open holds a shared lock on byte 0, an
//    exclusive Open (key number -4) the exclusive one; a record's lock is
//    byte 16 + its position.
//  - When SQLite stays busy beyond kBusyBudgetMillis, measured and slept on
//    the Env's clock, the operation answers kFileLocked.
//  - Damaged or foreign files, bad definitions and lengths beyond their
//    buffers answer a status (status.h); nothing is written outside a buffer.
//
// Positioning: every read and every Insert make that record the current one
// along the key number of the call; Get Next and Get Previous go on from it.
// After a Delete the deleted record stays the current one as a gap, so Get
// Next and Get Previous return the records on either side of it.
//
// Reads hold nothing between calls. A walk of plain (unlocked) Get Next or
// Get Previous reads 16 rows at a time and serves them for up to 20 ms on
// the Env's clock, so it may show a record as another program had it that
// long before, never longer; any other call drops the rows read ahead, so a
// program always sees its own changes.
//
// One RecordManager serves one program; it is not thread-safe.
#ifndef ZUL_PLATFORM_RECORD_MANAGER_RECORD_MANAGER_H_
#define ZUL_PLATFORM_RECORD_MANAGER_RECORD_MANAGER_H_

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/env.h"
#include "platform/record_manager/file_definition.h"
#include "platform/record_manager/status.h"

namespace zul {

namespace rm {

// Operation codes.
inline constexpr int16_t kOpen = 0;
inline constexpr int16_t kClose = 1;
inline constexpr int16_t kInsert = 2;
inline constexpr int16_t kUpdate = 3;
inline constexpr int16_t kDelete = 4;
inline constexpr int16_t kGetEqual = 5;
inline constexpr int16_t kGetNext = 6;
inline constexpr int16_t kGetPrevious = 7;
inline constexpr int16_t kGetGreater = 8;
inline constexpr int16_t kGetGreaterOrEqual = 9;
inline constexpr int16_t kGetLess = 10;
inline constexpr int16_t kGetLessOrEqual = 11;
inline constexpr int16_t kGetFirst = 12;
inline constexpr int16_t kGetLast = 13;
inline constexpr int16_t kCreate = 14;
inline constexpr int16_t kStat = 15;
inline constexpr int16_t kBeginTransaction = 19;
inline constexpr int16_t kEndTransaction = 20;
inline constexpr int16_t kAbortTransaction = 21;
inline constexpr int16_t kGetPosition = 22;
inline constexpr int16_t kGetDirect = 23;
inline constexpr int16_t kReset = 28;
// Added to a read's code: lock the record read, without waiting.
inline constexpr int16_t kSingleRecordLock = 200;

// Open's key number: 0 (and any other) shares the file; kOpenExclusive keeps
// every other open file out until Close (the tools' maintenance mode).
inline constexpr int8_t kOpenExclusive = -4;
// Create's key number: kCreateNoReplace refuses an existing file; any other
// value replaces it, unless another program has it open.
inline constexpr int8_t kCreateNoReplace = -1;

inline constexpr size_t kPositionBlockBytes = 128;
inline constexpr int64_t kBusyBudgetMillis = 1000;

}  // namespace rm

using PositionBlock = std::array<char, rm::kPositionBlockBytes>;

class RecordManager {
 public:
  explicit RecordManager(Env& env);
  ~RecordManager();  // as Reset
  RecordManager(const RecordManager&) = delete;
  RecordManager& operator=(const RecordManager&) = delete;

  // The single entry point. `data` and `key` are the caller's buffers;
  // *data_length (in: bytes offered or sent; out: bytes answered) and
  // `key_length` may not exceed them. Open and Create take the path, in code
  // page 850, in the key buffer (up to a zero byte or key_length).
  int16_t RecordManagerCall(int16_t operation, PositionBlock& position_block, std::span<char> data,
                            uint32_t* data_length, std::span<char> key, uint8_t key_length,
                            int8_t key_number);

 private:
  struct OpenFile;
  struct Request;

  int16_t Open(PositionBlock& block, const Request& r);
  int16_t Create(const Request& r);
  int16_t Close(OpenFile& file);
  int16_t Stat(OpenFile& file, const Request& r);
  int16_t Read(OpenFile& file, int16_t operation, bool lock, const Request& r);
  int16_t Insert(OpenFile& file, const Request& r);
  int16_t Update(OpenFile& file, const Request& r);
  int16_t Delete(OpenFile& file);
  int16_t Transaction(OpenFile& file, int16_t operation);
  int16_t GetPosition(OpenFile& file, const Request& r);
  OpenFile* Find(const PositionBlock& block);

  Env& env_;
  std::vector<std::unique_ptr<OpenFile>> files_;
  uint32_t next_serial_ = 1;
};

}  // namespace zul

#endif  // ZUL_PLATFORM_RECORD_MANAGER_RECORD_MANAGER_H_
