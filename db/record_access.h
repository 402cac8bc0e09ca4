// RecordAccess: the suite's record layer. Programs name data files by file
// ids of their own, bind each to a record variable, and read and write
// records through key lookups, key ranges walked in either direction, skips
// and physical positions, with lock modes that decide whether reads lock
// and whether a record locked elsewhere is waited for.
//
// Every call to the record manager goes through here; every wait (3000 ms
// before reopening a locked file, 1 to 10001 ms between attempts on a
// locked record) is slept on the Env's clock. Messages come in the
// session's language through RecordUi. Each insertion is logged in
// "db.log" (insert_log.h).
//
// Statuses: the record manager's pass through, 22 answered as 0, plus
// those of db/status.h.
#ifndef ZUL_DB_RECORD_ACCESS_H_
#define ZUL_DB_RECORD_ACCESS_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/session.h"
#include "db/open_file_table.h"
#include "db/record_ui.h"
#include "db/status.h"
#include "platform/env.h"
#include "platform/record_manager/record_manager.h"

namespace zul {

// The exchange buffer with the record manager; no record is longer.
inline constexpr size_t kDataBufferBytes = 1536;
inline constexpr size_t kKeyBufferBytes = 256;
inline constexpr int64_t kLockedFileRetryMillis = 3000;

// Where OpenDataFile finds a data file and its dictionary entry.
struct DataFilePath {
  std::string path;       // directory part + base name + extension
  std::string base_name;  // between the directory part and the extension
};

// The name's directory part ends at its last ":", "\" or "/"; the extension
// starts at the first "." after it (".dat" when there is none).
DataFilePath BuildDataFilePath(std::string_view name);

class RecordAccess {
 public:
  RecordAccess(Env& env, const Session& session, RecordManager& manager, RecordUi& ui,
               OpenFileTable& table);

  // The slot of `file_id`; when none, minus the highest free slot; 0 when
  // the table is full.
  int16_t FindFileSlot(int16_t file_id) const;
  // The length of key `key_number` (0 when the file has no such key) and
  // the record length, from Stat; both 0 when the file id is not open.
  void GetKeyInfo(int16_t file_id, int16_t key_number, int16_t* key_length, int16_t* record_length);
  // Opens (creating it from the data dictionary when missing) and binds
  // `record`. Statuses 0, 1002, 1003; any other failure shows the access
  // message and ends the program through RecordUi.
  void OpenDataFile(int16_t file_id, std::string_view name, std::span<char> record,
                    int16_t* status);
  // Resets the record manager; on success every slot is free again.
  void CloseAllDataFiles(int16_t* status);

  void SetLockMode(int16_t file_id, std::string_view letters, int16_t* status);
  // direction 0: Get Equal, > 0: Get Greater or Equal, < 0: Get Less or Equal.
  int16_t FindByKey(int16_t file_id, int16_t key_number, std::string_view key_value,
                    int16_t direction);
  void FindByKeyStatus(int16_t file_id, int16_t key_number, std::string_view key_value,
                       int16_t direction, int16_t* status);
  void SetKeyRange(int16_t file_id, int16_t key_number, std::string_view from, std::string_view to,
                   int16_t* status);
  int16_t ReadNextInRange(int16_t file_id);
  void SkipRecords(int16_t file_id, int16_t count, int16_t* status);
  // position 0: the current record's physical position (0 on error); any
  // other: reads the record there and answers the status.
  int32_t RecordPosition(int16_t file_id, int32_t position);
  void InsertRecord(int16_t file_id, int16_t* status);
  void DeleteRecord(int16_t file_id, int16_t* status);
  // The key value in a form whose byte order is the file's order of its
  // current key.
  std::string KeyCollatingForm(std::string_view key_value, int16_t file_id);
  std::string CurrentKeyCollating(int16_t file_id);

  // One read, insert or delete of `slot`, with the lock bias and, in lock
  // mode 1, the wait for a record or file locked elsewhere.
  int16_t RunOperation(int16_t slot, int16_t operation);

 private:
  FileSlot* SlotOf(int16_t file_id);
  int16_t Call(int16_t operation, PositionBlock& block, std::string* data, uint32_t* data_length,
               std::string* key, size_t key_length, int16_t key_number);
  bool StatDefinition(int16_t file_id, rm::FileDefinition* layout);
  std::string DictionaryEntry(std::string_view base_name);
  void StopOnAccessError(std::string_view name, int16_t status);

  Env& env_;
  const Session& session_;
  RecordManager& manager_;
  RecordUi& ui_;
  OpenFileTable& table_;
};

}  // namespace zul

#endif  // ZUL_DB_RECORD_ACCESS_H_
