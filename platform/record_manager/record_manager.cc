#include "platform/record_manager/record_manager.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/bytes.h"

namespace zul {
namespace {

constexpr char kBlockSignature[4] = {'Z', 'R', 'M', '1'};
constexpr int64_t kFormat = 1;
constexpr off_t kOpenLockByte = 0;
constexpr off_t kRecordLockBase = 16;
// A walk reads this many rows at a time, and serves them for this long.
constexpr int kReadAhead = 16;
constexpr int64_t kReadAheadMillis = 20;

int16_t FromSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return rm::kOk;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return rm::kFileLocked;
    case SQLITE_CONSTRAINT:
      return rm::kDuplicateKey;
    case SQLITE_FULL:
      return rm::kDiskFull;
    case SQLITE_NOTADB:
      return rm::kNotADataFile;
    default:
      return rm::kIoError;
  }
}

// One byte of the companion lock file, as an open-file-description lock:
// it belongs to the descriptor's open file, not to the process, so two open
// files of one program exclude each other like two programs do.
bool LockByte(int fd, short type, off_t offset) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = 1;
  return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

std::string BigEndian32(uint32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
  return out;
}

std::string ColumnBlob(sqlite3_stmt* stmt, int column) {
  const void* bytes = sqlite3_column_blob(stmt, column);
  const int n = sqlite3_column_bytes(stmt, column);
  return bytes == nullptr ? std::string() : std::string(static_cast<const char*>(bytes), n);
}

void BindBlob(sqlite3_stmt* stmt, int index, const std::string& value) {
  if (value.empty()) {
    sqlite3_bind_zeroblob(stmt, index, 0);
  } else {
    sqlite3_bind_blob(stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  }
}

void SyncDirectoryOf(const std::string& host) {
  const size_t slash = host.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : host.substr(0, slash + 1);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// SQLite's companions of a database: its write-ahead log and journals.
void RemoveCompanions(const std::string& host) {
  ::unlink((host + "-wal").c_str());
  ::unlink((host + "-shm").c_str());
  ::unlink((host + "-journal").c_str());
}

std::string PathFromKey(std::span<char> key, uint8_t key_length) {
  const size_t n = ::strnlen(key.data(), key_length);
  return std::string(key.data(), n);
}

}  // namespace

struct RecordManager::Request {
  std::span<char> data;
  uint32_t* data_length;
  std::span<char> key;
  uint8_t key_length;
  int8_t key_number;
};

struct RecordManager::OpenFile {
  ~OpenFile() {
    for (sqlite3_stmt* stmt : ascending) sqlite3_finalize(stmt);
    for (sqlite3_stmt* stmt : descending) sqlite3_finalize(stmt);
    for (sqlite3_stmt* stmt : ascending_batch) sqlite3_finalize(stmt);
    for (sqlite3_stmt* stmt : descending_batch) sqlite3_finalize(stmt);
    for (sqlite3_stmt* stmt : {insert, update, remove, direct, sequence}) sqlite3_finalize(stmt);
    if (db != nullptr) sqlite3_close_v2(db);  // rolls back an open transaction
    if (lock_fd >= 0) ::close(lock_fd);       // releases every lock of this open file
  }

  // The value stored in key `k`'s column for a record at `pos`.
  std::string Column(size_t k, std::string_view record, uint32_t pos) const {
    std::string column = rm::CollateKey(layout, k, rm::KeyValueOf(layout, k, record));
    if (layout.keys[k].Duplicates()) column += BigEndian32(pos);
    return column;
  }

  bool LockRecord(uint32_t pos) {
    return LockByte(lock_fd, F_WRLCK, kRecordLockBase + static_cast<off_t>(pos));
  }
  void UnlockRecord(uint32_t pos) {
    LockByte(lock_fd, F_UNLCK, kRecordLockBase + static_cast<off_t>(pos));
  }
  void ReleaseRecordLock() {
    if (locked_pos >= 0) UnlockRecord(static_cast<uint32_t>(locked_pos));
    locked_pos = -1;
  }

  // Waits on the Env's clock while another connection writes, up to the budget.
  static int BusyHandler(void* arg, int count) {
    auto* file = static_cast<OpenFile*>(arg);
    Env& clock = *file->env;
    if (count == 0) file->busy_started = clock.NowMillis();
    if (clock.NowMillis() - file->busy_started >= rm::kBusyBudgetMillis) return 0;
    clock.SleepMillis(count < 20 ? 1 : 5);
    return 1;
  }

  bool Exec(const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  // Opens the write transaction of one call, unless the caller holds one.
  int16_t Begin() {
    return in_transaction
               ? rm::kOk
               : FromSqlite(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
  }
  // Commits the call's transaction (on rm::kOk) or rolls it back.
  int16_t Finish(int16_t status) {
    if (in_transaction) return status;
    if (status == rm::kOk) {
      const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
      if (rc == SQLITE_OK) return rm::kOk;
      status = FromSqlite(rc);
    }
    Exec("ROLLBACK");
    return status;
  }

  Env* env = nullptr;
  uint32_t serial = 0;
  sqlite3* db = nullptr;
  int lock_fd = -1;
  rm::FileDefinition layout;
  bool in_transaction = false;
  int64_t busy_started = 0;

  std::vector<sqlite3_stmt*> ascending;        // per key: first row with column >= ?1
  std::vector<sqlite3_stmt*> descending;       // per key: last row with column < ?1
  std::vector<sqlite3_stmt*> ascending_batch;  // the same, kReadAhead rows
  std::vector<sqlite3_stmt*> descending_batch;

  // Read-ahead of a walk: the rows that follow the current record along
  // ahead_key in the walk's direction, the next one last. A walk of plain
  // Get Next (or Get Previous) serves them while they are fresh; every
  // other call drops them, so they never outlive a change made here, and
  // they hold no SQLite transaction between calls.
  struct Row {
    uint32_t pos;
    std::string record;
    std::string column;
  };
  std::vector<Row> ahead;
  size_t ahead_key = 0;
  bool ahead_ascending = true;
  int64_t ahead_until = 0;  // Env clock
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* update = nullptr;
  sqlite3_stmt* remove = nullptr;
  sqlite3_stmt* direct = nullptr;
  sqlite3_stmt* sequence = nullptr;

  // The current record. After a Delete it stays as a gap (deleted = true).
  bool has_current = false;
  bool deleted = false;
  size_t current_key = 0;
  uint32_t current_pos = 0;
  std::string current_record;
  std::string current_column;  // Column(current_key, current_record, current_pos)
  int64_t locked_pos = -1;     // the record this open file holds locked
};

RecordManager::RecordManager(Env& env) : env_(env) {}

RecordManager::~RecordManager() = default;

RecordManager::OpenFile* RecordManager::Find(const PositionBlock& block) {
  if (std::memcmp(block.data(), kBlockSignature, 4) != 0) return nullptr;
  uint32_t serial = 0;
  if (!ReadU32(std::string_view(block.data(), block.size()), 4, &serial)) return nullptr;
  for (const auto& file : files_) {
    if (file->serial == serial) return file.get();
  }
  return nullptr;
}

int16_t RecordManager::RecordManagerCall(int16_t operation, PositionBlock& position_block,
                                         std::span<char> data, uint32_t* data_length,
                                         std::span<char> key, uint8_t key_length,
                                         int8_t key_number) {
  if (data_length == nullptr || *data_length > data.size() || key_length > key.size()) {
    return rm::kLengthBeyondBuffer;
  }
  const Request r{data, data_length, key, key_length, key_number};
  bool lock = false;
  if (operation >= rm::kSingleRecordLock) {
    operation = static_cast<int16_t>(operation - rm::kSingleRecordLock);
    lock = true;
    const bool lockable = (operation >= rm::kGetEqual && operation <= rm::kGetLast) ||
                          operation == rm::kGetDirect || operation == rm::kGetPosition;
    if (!lockable) return rm::kInvalidOperation;
  }
  switch (operation) {
    case rm::kOpen:
      return Open(position_block, r);
    case rm::kCreate:
      return Create(r);
    case rm::kReset:
      files_.clear();
      return rm::kOk;
    default:
      break;
  }
  OpenFile* file = Find(position_block);
  if (file == nullptr) return rm::kFileNotOpen;
  if (lock || (operation != rm::kGetNext && operation != rm::kGetPrevious)) file->ahead.clear();
  switch (operation) {
    case rm::kClose:
      return Close(*file);
    case rm::kInsert:
      return Insert(*file, r);
    case rm::kUpdate:
      return Update(*file, r);
    case rm::kDelete:
      return Delete(*file);
    case rm::kStat:
      return Stat(*file, r);
    case rm::kBeginTransaction:
    case rm::kEndTransaction:
    case rm::kAbortTransaction:
      return Transaction(*file, operation);
    case rm::kGetPosition:
      return GetPosition(*file, r);
    case rm::kGetDirect:
    case rm::kGetEqual:
    case rm::kGetNext:
    case rm::kGetPrevious:
    case rm::kGetGreater:
    case rm::kGetGreaterOrEqual:
    case rm::kGetLess:
    case rm::kGetLessOrEqual:
    case rm::kGetFirst:
    case rm::kGetLast:
      return Read(*file, operation, lock, r);
    default:
      return rm::kInvalidOperation;
  }
}

int16_t RecordManager::Open(PositionBlock& block, const Request& r) {
  const std::string path = PathFromKey(r.key, r.key_length);
  if (path.empty()) return rm::kInvalidFileName;
  const std::string host = env_.HostPath(path);
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? rm::kFileNotFound : rm::kIoError;
  }
  if (!S_ISREG(st.st_mode)) return rm::kNotADataFile;

  auto file = std::make_unique<OpenFile>();
  file->env = &env_;
  file->lock_fd = ::open((host + "-lck").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (file->lock_fd < 0) return rm::kIoError;
  const bool exclusive = r.key_number == rm::kOpenExclusive;
  if (!LockByte(file->lock_fd, exclusive ? F_WRLCK : F_RDLCK, kOpenLockByte)) {
    return errno == EAGAIN || errno == EACCES ? rm::kFileLocked : rm::kIoError;
  }
  // No SQLITE_OPEN_CREATE: a vanished file must not come back empty.
  int rc = sqlite3_open_v2(host.c_str(), &file->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc != SQLITE_OK)
    return FromSqlite(rc) == rm::kNotADataFile ? rm::kNotADataFile : rm::kIoError;
  sqlite3_extended_result_codes(file->db, 1);
  sqlite3_busy_handler(file->db, OpenFile::BusyHandler, file.get());

  // Validate before anything is written: an empty or foreign file must stay
  // exactly as it is.
  std::string definition;
  int64_t format = 0;
  {
    sqlite3_stmt* meta = nullptr;
    rc = sqlite3_prepare_v2(file->db, "SELECT name, value FROM meta", -1, &meta, nullptr);
    if (rc != SQLITE_OK) {
      // No table "meta" (an empty file, another program's database) or no
      // database at all is a foreign file; a damaged one is ours, damaged.
      const int primary = sqlite3_errcode(file->db) & 0xFF;
      if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return rm::kFileLocked;
      return primary == SQLITE_CORRUPT || primary == SQLITE_IOERR ? rm::kIoError
                                                                  : rm::kNotADataFile;
    }
    while ((rc = sqlite3_step(meta)) == SQLITE_ROW) {
      const char* name = reinterpret_cast<const char*>(sqlite3_column_text(meta, 0));
      if (name == nullptr) continue;
      if (std::strcmp(name, "format") == 0) format = sqlite3_column_int64(meta, 1);
      if (std::strcmp(name, "definition") == 0) definition = ColumnBlob(meta, 1);
    }
    sqlite3_finalize(meta);
    if (rc != SQLITE_DONE) return FromSqlite(rc);
  }
  if (format != kFormat) return rm::kNotADataFile;
  if (rm::ParseFileDefinition(definition, &file->layout) != rm::kOk) return rm::kIoError;

  // A database cut short (copied in part, say) announces more pages than the
  // file holds; with no write-ahead log to supply them it is damaged.
  struct stat wal;
  if (::stat((host + "-wal").c_str(), &wal) != 0) {
    sqlite3_stmt* pages = nullptr;
    int64_t count = 0;
    int64_t size = 0;
    if (sqlite3_prepare_v2(file->db,
                           "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size",
                           -1, &pages, nullptr) == SQLITE_OK &&
        sqlite3_step(pages) == SQLITE_ROW) {
      count = sqlite3_column_int64(pages, 0);
    }
    sqlite3_finalize(pages);
    size = st.st_size;
    if (count > size) return rm::kIoError;
  }

  if (!file->Exec("PRAGMA journal_mode=WAL") || !file->Exec("PRAGMA synchronous=FULL") ||
      !file->Exec("PRAGMA cache_size=-4096")) {
    return FromSqlite(sqlite3_errcode(file->db));
  }

  const size_t keys = file->layout.keys.size();
  std::string columns;
  std::string values;
  std::string sets;
  for (size_t k = 0; k < keys; ++k) {
    const std::string c = "k" + std::to_string(k);
    columns += ", " + c;
    values += ", ?" + std::to_string(k + 3);
    sets += ", " + c + " = ?" + std::to_string(k + 3);
    // The first row at or after ?1, or the last one before it; the batch
    // forms read a walk's next rows at once.
    auto select = [&c](bool up, int limit) {
      return "SELECT pos, data, " + c + " FROM records WHERE " + c + (up ? " >= ?1" : " < ?1") +
             " ORDER BY " + c + (up ? "" : " DESC") + " LIMIT " + std::to_string(limit);
    };
    const std::string asc = select(true, 1), desc = select(false, 1);
    const std::string asc_batch = select(true, kReadAhead), desc_batch = select(false, kReadAhead);
    for (auto [sql, list] : {std::pair{&asc, &file->ascending}, std::pair{&desc, &file->descending},
                             std::pair{&asc_batch, &file->ascending_batch},
                             std::pair{&desc_batch, &file->descending_batch}}) {
      list->push_back(nullptr);
      if (sqlite3_prepare_v3(file->db, sql->c_str(), -1, SQLITE_PREPARE_PERSISTENT, &list->back(),
                             nullptr) != SQLITE_OK) {
        return rm::kNotADataFile;
      }
    }
  }
  const std::string insert =
      "INSERT INTO records(pos, data" + columns + ") VALUES(?1, ?2" + values + ")";
  const std::string update = "UPDATE records SET data = ?2" + sets + " WHERE pos = ?1";
  const struct {
    const std::string sql;
    sqlite3_stmt** stmt;
  } statements[] = {
      {insert, &file->insert},
      {update, &file->update},
      {"DELETE FROM records WHERE pos = ?1", &file->remove},
      {"SELECT data FROM records WHERE pos = ?1", &file->direct},
      {"SELECT seq FROM sqlite_sequence WHERE name = 'records'", &file->sequence},
  };
  for (const auto& s : statements) {
    if (sqlite3_prepare_v3(file->db, s.sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, s.stmt,
                           nullptr) != SQLITE_OK) {
      return rm::kNotADataFile;
    }
  }

  file->serial = next_serial_++;
  block.fill('\0');
  std::memcpy(block.data(), kBlockSignature, 4);
  std::string serial;
  AppendU32(&serial, file->serial);
  std::memcpy(block.data() + 4, serial.data(), 4);
  files_.push_back(std::move(file));
  return rm::kOk;
}

int16_t RecordManager::Create(const Request& r) {
  rm::FileDefinition layout;
  if (rm::ParseFileDefinition(std::string_view(r.data.data(), *r.data_length), &layout) !=
      rm::kOk) {
    return rm::kInvalidDefinition;
  }
  const std::string path = PathFromKey(r.key, r.key_length);
  if (path.empty()) return rm::kInvalidFileName;
  const std::string host = env_.HostPath(path);

  // Creating needs the file closed everywhere: the exclusive open lock is
  // held until the new file stands in its place, so no one opens a file
  // that is being replaced, and any write-ahead log or journal found under
  // the name is stale (a file deleted or a program stopped while in use)
  // and is removed rather than paired with the new file.
  struct stat st;
  const bool exists = ::stat(host.c_str(), &st) == 0;
  if (exists && r.key_number == rm::kCreateNoReplace) return rm::kFileExists;
  const int creation_lock = ::open((host + "-lck").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (creation_lock < 0) return rm::kIoError;
  if (!LockByte(creation_lock, F_WRLCK, kOpenLockByte)) {
    ::close(creation_lock);
    return rm::kFileLocked;
  }

  // The file is built whole under a temporary name and then linked into
  // place, so a crash never leaves a half-made data file, and two creators
  // cannot both succeed.
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".new%08x", static_cast<unsigned>(env_.Random()));
  const std::string temp = host + suffix;
  sqlite3* db = nullptr;
  int16_t status = rm::kOk;
  int rc = sqlite3_open_v2(
      temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc == SQLITE_OK) {
    std::string schema =
        "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; BEGIN;"
        "CREATE TABLE meta(name TEXT PRIMARY KEY, value BLOB NOT NULL);"
        "CREATE TABLE records(pos INTEGER PRIMARY KEY AUTOINCREMENT, data BLOB NOT NULL";
    for (size_t k = 0; k < layout.keys.size(); ++k)
      schema += ", k" + std::to_string(k) + " BLOB NOT NULL";
    schema += ");";
    for (size_t k = 0; k < layout.keys.size(); ++k) {
      schema += "CREATE UNIQUE INDEX key" + std::to_string(k) + " ON records(k" +
                std::to_string(k) + ");";
    }
    schema += "INSERT INTO meta VALUES('format', " + std::to_string(kFormat) + ");";
    rc = sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr);
    sqlite3_stmt* put = nullptr;
    if (rc == SQLITE_OK) {
      rc = sqlite3_prepare_v2(db, "INSERT INTO meta VALUES('definition', ?1)", -1, &put, nullptr);
    }
    if (rc == SQLITE_OK) {
      BindBlob(put, 1, rm::EncodeFileDefinition(layout));
      rc = sqlite3_step(put);
      if (rc == SQLITE_DONE) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(put);
  }
  if (rc != SQLITE_OK) status = FromSqlite(rc) == rm::kDiskFull ? rm::kDiskFull : rm::kIoError;
  if (sqlite3_close(db) != SQLITE_OK) status = rm::kIoError;

  if (status == rm::kOk) {
    if (exists) ::unlink(host.c_str());
    RemoveCompanions(host);
  }
  if (status == rm::kOk && ::link(temp.c_str(), host.c_str()) != 0) {
    status = errno == EEXIST ? rm::kFileExists : rm::kIoError;
  }
  ::unlink(temp.c_str());
  RemoveCompanions(temp);
  if (status == rm::kOk) SyncDirectoryOf(host);
  ::close(creation_lock);
  return status;
}

int16_t RecordManager::Close(OpenFile& file) {
  files_.erase(
      std::find_if(files_.begin(), files_.end(), [&](const auto& f) { return f.get() == &file; }));
  return rm::kOk;
}

int16_t RecordManager::Stat(OpenFile& file, const Request& r) {
  const std::string answer = rm::EncodeFileDefinition(file.layout);
  const size_t n = std::min<size_t>(answer.size(), *r.data_length);
  std::memcpy(r.data.data(), answer.data(), n);
  *r.data_length = static_cast<uint32_t>(n);
  return n < answer.size() ? rm::kDataBufferTooShort : rm::kOk;
}

int16_t RecordManager::Read(OpenFile& file, int16_t operation, bool lock, const Request& r) {
  if (r.key_number < 0 || static_cast<size_t>(r.key_number) >= file.layout.keys.size()) {
    return rm::kInvalidKeyNumber;
  }
  const size_t k = static_cast<size_t>(r.key_number);
  const rm::KeyDefinition& key = file.layout.keys[k];
  const size_t length = key.Length();
  if (r.key_length < length) return rm::kKeyBufferTooShort;
  const uint32_t record_length = file.layout.record_length;

  // Every search is "first column >= bound" or "last column < bound": with
  // a duplicates key the column carries the position after the collating
  // form, so the bounds of a value c are c + 00000000 and c + FFFFFFFF.
  std::string collated;
  std::string bound;
  bool ascending = true;
  uint32_t direct_pos = 0;
  if (operation == rm::kGetDirect) {
    if (*r.data_length < 4 || !ReadU32(std::string_view(r.data.data(), 4), 0, &direct_pos)) {
      return rm::kDataBufferTooShort;
    }
  } else if (operation == rm::kGetNext || operation == rm::kGetPrevious) {
    if (!file.has_current) return rm::kNoCurrentRecord;
    const std::string current = file.current_key == k
                                    ? file.current_column
                                    : file.Column(k, file.current_record, file.current_pos);
    ascending = operation == rm::kGetNext;
    bound = ascending ? current + '\0' : current;
  } else if (operation == rm::kGetFirst) {
    bound.clear();
  } else if (operation == rm::kGetLast) {
    ascending = false;
    bound.assign(length + 5, '\xFF');
  } else {
    collated = rm::CollateKey(file.layout, k, std::string_view(r.key.data(), length));
    const std::string low = key.Duplicates() ? collated + std::string(4, '\0') : collated;
    const std::string high = key.Duplicates() ? collated + std::string(4, '\xFF') : collated;
    switch (operation) {
      case rm::kGetEqual:
      case rm::kGetGreaterOrEqual:
        bound = low;
        break;
      case rm::kGetGreater:
        bound = high + '\0';
        break;
      case rm::kGetLessOrEqual:
        ascending = false;
        bound = high + '\0';
        break;
      default:  // rm::kGetLess
        ascending = false;
        bound = low;
        break;
    }
  }

  // Only a walk of plain reads is served from the read-ahead.
  const bool walk = !lock && (operation == rm::kGetNext || operation == rm::kGetPrevious);
  uint32_t pos = 0;
  std::string record;
  std::string column;
  // A locked read may find its record deleted between the search and the
  // lock; it then searches again.
  for (int attempt = 0;; ++attempt) {
    if (attempt == 8) return rm::kRecordLocked;
    if (operation == rm::kGetDirect) {
      if (direct_pos == 0) return rm::kInvalidPosition;
      sqlite3_stmt* stmt = file.direct;
      sqlite3_bind_int64(stmt, 1, direct_pos);
      const int rc = sqlite3_step(stmt);
      if (rc == SQLITE_ROW) record = ColumnBlob(stmt, 0);
      sqlite3_reset(stmt);
      if (rc == SQLITE_DONE) return rm::kInvalidPosition;
      if (rc != SQLITE_ROW) return FromSqlite(rc);
      pos = direct_pos;
      if (record.size() != record_length) return rm::kIoError;
      column = file.Column(k, record, pos);
    } else if (walk && !file.ahead.empty() && file.ahead_key == k &&
               file.ahead_ascending == ascending && env_.NowMillis() < file.ahead_until) {
      OpenFile::Row& row = file.ahead.back();
      pos = row.pos;
      record = std::move(row.record);
      column = std::move(row.column);
      file.ahead.pop_back();
    } else {
      file.ahead.clear();
      sqlite3_stmt* stmt = walk ? (ascending ? file.ascending_batch[k] : file.descending_batch[k])
                                : (ascending ? file.ascending[k] : file.descending[k]);
      BindBlob(stmt, 1, bound);
      int rc = sqlite3_step(stmt);
      if (rc == SQLITE_ROW) {
        pos = static_cast<uint32_t>(sqlite3_column_int64(stmt, 0));
        record = ColumnBlob(stmt, 1);
        column = ColumnBlob(stmt, 2);
        if (walk) {
          int more;
          while ((more = sqlite3_step(stmt)) == SQLITE_ROW) {
            file.ahead.push_back({static_cast<uint32_t>(sqlite3_column_int64(stmt, 0)),
                                  ColumnBlob(stmt, 1), ColumnBlob(stmt, 2)});
          }
          if (more != SQLITE_DONE) file.ahead.clear();
          std::reverse(file.ahead.begin(), file.ahead.end());
          file.ahead_key = k;
          file.ahead_ascending = ascending;
          file.ahead_until = env_.NowMillis() + kReadAheadMillis;
        }
      }
      sqlite3_reset(stmt);  // ends the read transaction: nothing is held between calls
      if (rc == SQLITE_DONE) return operation == rm::kGetEqual ? rm::kKeyNotFound : rm::kEndOfFile;
      if (rc != SQLITE_ROW) return FromSqlite(rc);
      if (operation == rm::kGetEqual && column.compare(0, collated.size(), collated) != 0) {
        return rm::kKeyNotFound;
      }
      if (record.size() != record_length) return rm::kIoError;
    }
    if (!lock || file.locked_pos == static_cast<int64_t>(pos)) break;
    if (!file.LockRecord(pos))
      return errno == EAGAIN || errno == EACCES ? rm::kRecordLocked : rm::kIoError;
    sqlite3_stmt* check = file.direct;
    sqlite3_bind_int64(check, 1, pos);
    const int rc = sqlite3_step(check);
    if (rc == SQLITE_ROW) record = ColumnBlob(check, 0);
    sqlite3_reset(check);
    if (rc == SQLITE_ROW && record.size() == record_length) {
      file.ReleaseRecordLock();
      file.locked_pos = pos;
      break;
    }
    file.UnlockRecord(pos);
    if (rc != SQLITE_DONE) return FromSqlite(rc);
    if (operation == rm::kGetDirect) return rm::kInvalidPosition;
  }
  // Reading another record gives up the lock of the previous one.
  if (file.locked_pos >= 0 && file.locked_pos != static_cast<int64_t>(pos))
    file.ReleaseRecordLock();

  file.has_current = true;
  file.deleted = false;
  file.current_key = k;
  file.current_pos = pos;
  file.current_record = record;
  file.current_column = column;

  const uint32_t n = std::min(*r.data_length, record_length);
  std::memcpy(r.data.data(), record.data(), n);
  *r.data_length = n;
  const std::string value = rm::KeyValueOf(file.layout, k, record);
  std::memcpy(r.key.data(), value.data(), value.size());
  return n < record_length ? rm::kDataBufferTooShort : rm::kOk;
}

int16_t RecordManager::Insert(OpenFile& file, const Request& r) {
  const uint32_t record_length = file.layout.record_length;
  if (*r.data_length != record_length) return rm::kInvalidRecordLength;
  if (r.key_number < 0 || static_cast<size_t>(r.key_number) >= file.layout.keys.size()) {
    return rm::kInvalidKeyNumber;
  }
  const size_t k = static_cast<size_t>(r.key_number);
  if (r.key_length < file.layout.keys[k].Length()) return rm::kKeyBufferTooShort;
  const std::string record(r.data.data(), record_length);

  int16_t status = file.Begin();
  if (status != rm::kOk) return status;
  int64_t last = 0;
  int rc = sqlite3_step(file.sequence);
  if (rc == SQLITE_ROW) last = sqlite3_column_int64(file.sequence, 0);
  sqlite3_reset(file.sequence);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return file.Finish(FromSqlite(rc));
  if (last < 0 || last >= 0xFFFFFFFFll) return file.Finish(rm::kFileFull);
  const uint32_t pos = static_cast<uint32_t>(last + 1);

  sqlite3_stmt* stmt = file.insert;
  sqlite3_bind_int64(stmt, 1, pos);
  BindBlob(stmt, 2, record);
  for (size_t i = 0; i < file.layout.keys.size(); ++i) {
    BindBlob(stmt, static_cast<int>(i + 3), file.Column(i, record, pos));
  }
  rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  status = file.Finish(rc == SQLITE_DONE ? rm::kOk : FromSqlite(rc));
  if (status != rm::kOk) return status;

  file.has_current = true;
  file.deleted = false;
  file.current_key = k;
  file.current_pos = pos;
  file.current_record = record;
  file.current_column = file.Column(k, record, pos);
  const std::string value = rm::KeyValueOf(file.layout, k, record);
  std::memcpy(r.key.data(), value.data(), value.size());
  return rm::kOk;
}

int16_t RecordManager::Update(OpenFile& file, const Request& r) {
  if (!file.has_current || file.deleted) return rm::kNoCurrentRecord;
  const uint32_t record_length = file.layout.record_length;
  if (*r.data_length != record_length) return rm::kInvalidRecordLength;
  const std::string record(r.data.data(), record_length);
  for (size_t i = 0; i < file.layout.keys.size(); ++i) {
    if (!file.layout.keys[i].Modifiable() &&
        rm::KeyValueOf(file.layout, i, record) !=
            rm::KeyValueOf(file.layout, i, file.current_record)) {
      return rm::kKeyNotModifiable;
    }
  }
  const uint32_t pos = file.current_pos;
  // The record's lock is held for the change, so no other open file can
  // lock (and believe it owns) a record that is being changed.
  const bool borrowed = file.locked_pos != static_cast<int64_t>(pos);
  if (borrowed && !file.LockRecord(pos)) return rm::kRecordLocked;
  int16_t status = file.Begin();
  if (status == rm::kOk) {
    sqlite3_stmt* stmt = file.update;
    sqlite3_bind_int64(stmt, 1, pos);
    BindBlob(stmt, 2, record);
    for (size_t i = 0; i < file.layout.keys.size(); ++i) {
      BindBlob(stmt, static_cast<int>(i + 3), file.Column(i, record, pos));
    }
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    status = rc != SQLITE_DONE               ? FromSqlite(rc)
             : sqlite3_changes(file.db) == 0 ? rm::kNoCurrentRecord
                                             : rm::kOk;
    status = file.Finish(status);
  }
  if (borrowed) file.UnlockRecord(pos);
  if (status != rm::kOk) return status;
  file.current_record = record;
  file.current_column = file.Column(file.current_key, record, pos);
  return rm::kOk;
}

int16_t RecordManager::Delete(OpenFile& file) {
  if (!file.has_current || file.deleted) return rm::kNoCurrentRecord;
  const uint32_t pos = file.current_pos;
  const bool borrowed = file.locked_pos != static_cast<int64_t>(pos);
  if (borrowed && !file.LockRecord(pos)) return rm::kRecordLocked;
  int16_t status = file.Begin();
  if (status == rm::kOk) {
    sqlite3_bind_int64(file.remove, 1, pos);
    const int rc = sqlite3_step(file.remove);
    sqlite3_reset(file.remove);
    status = rc != SQLITE_DONE               ? FromSqlite(rc)
             : sqlite3_changes(file.db) == 0 ? rm::kNoCurrentRecord
                                             : rm::kOk;
    status = file.Finish(status);
  }
  if (borrowed) {
    file.UnlockRecord(pos);
  } else if (status == rm::kOk) {
    file.ReleaseRecordLock();
  }
  if (status == rm::kOk) file.deleted = true;  // the gap Get Next and Get Previous go on from
  return status;
}

int16_t RecordManager::Transaction(OpenFile& file, int16_t operation) {
  if (operation == rm::kBeginTransaction) {
    if (file.in_transaction) return rm::kTransactionActive;
    const int16_t status =
        FromSqlite(sqlite3_exec(file.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
    file.in_transaction = status == rm::kOk;
    return status;
  }
  if (!file.in_transaction) return rm::kNoTransaction;
  file.in_transaction = false;
  if (operation == rm::kAbortTransaction) {
    file.Exec("ROLLBACK");
    return rm::kOk;
  }
  return file.Finish(rm::kOk);
}

int16_t RecordManager::GetPosition(OpenFile& file, const Request& r) {
  if (!file.has_current || file.deleted) return rm::kNoCurrentRecord;
  std::string bytes;
  AppendU32(&bytes, file.current_pos);
  const uint32_t n = std::min<uint32_t>(4, *r.data_length);
  std::memcpy(r.data.data(), bytes.data(), n);
  *r.data_length = n;
  return n < 4 ? rm::kDataBufferTooShort : rm::kOk;
}

}  // namespace zul
