// Every status the record manager engine answers, and what each means.
//
// RecordManagerCall (record_manager.h) returns one of these, always; no
// other number ever comes back. 0 is success. 22 is a partial success: the
// record was read but cut to the caller's data buffer.
#ifndef ZUL_PLATFORM_RECORD_MANAGER_STATUS_H_
#define ZUL_PLATFORM_RECORD_MANAGER_STATUS_H_

#include <cstdint>

namespace zul::rm {

inline constexpr int16_t kOk = 0;
inline constexpr int16_t kInvalidOperation = 1;  // unknown operation code
inline constexpr int16_t kIoError = 2;       // the file cannot be read or written, or is damaged
inline constexpr int16_t kFileNotOpen = 3;   // the position block names no open file
inline constexpr int16_t kKeyNotFound = 4;   // Get Equal: no record has that key value
inline constexpr int16_t kDuplicateKey = 5;  // a key without duplicates already has that value
inline constexpr int16_t kInvalidKeyNumber = 6;  // the file has no key of that number
inline constexpr int16_t kNoCurrentRecord = 8;   // no current record to move from, change or delete
inline constexpr int16_t kEndOfFile = 9;         // no record in that direction
inline constexpr int16_t kKeyNotModifiable = 10;    // Update changes a key that may not change
inline constexpr int16_t kInvalidFileName = 11;     // empty or unusable path
inline constexpr int16_t kFileNotFound = 12;        // Open: no file at that path
inline constexpr int16_t kDiskFull = 18;            // the disk has no room for the change
inline constexpr int16_t kKeyBufferTooShort = 21;   // key length below the key's length
inline constexpr int16_t kDataBufferTooShort = 22;  // the record was cut to the data buffer
inline constexpr int16_t kInvalidDefinition = 24;   // Create: the creation buffer is refused
inline constexpr int16_t kInvalidRecordLength =
    28;  // Insert, Update: data length is not the record length
inline constexpr int16_t kNotADataFile = 30;  // Open: the file is not a data file of this engine
inline constexpr int16_t kTransactionActive = 37;  // Begin Transaction while one is open
inline constexpr int16_t kNoTransaction = 39;      // End or Abort Transaction without one
inline constexpr int16_t kInvalidPosition = 43;  // Get Direct: no record at that physical position
inline constexpr int16_t kFileFull = 48;         // every 32-bit physical position has been used
inline constexpr int16_t kFileExists = 59;       // Create without replace: the file exists
inline constexpr int16_t kLengthBeyondBuffer = 62;  // a data or key length larger than its buffer
inline constexpr int16_t kRecordLocked = 84;        // another open file holds the record's lock
inline constexpr int16_t kFileLocked = 85;  // opened exclusively elsewhere, or busy too long

// A short English description of a status, for tools.
const char* StatusText(int16_t status);

}  // namespace zul::rm

#endif  // ZUL_PLATFORM_RECORD_MANAGER_STATUS_H_
