// The record manager engine against raw SQLite doing the equivalent
// statements on a table of the same shape, on files of 100,000 records
// with a two-segment key (a 20-byte text and a 4-byte binary number).
//
//   build/bench/db_bench
//
// Goals: each operation within 2 times raw SQLite; at least 200,000 Get
// Next per second; memory flat as the file grows (rss_growth_kb of the
// whole-file walks at 10,000 and 100,000 records).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/bytes.h"
#include "platform/posix_env.h"
#include "platform/record_manager/record_manager.h"

namespace zul {
namespace {

constexpr uint32_t kRecords = 100000;
constexpr uint16_t kRecordLength = 64;

std::string Definition() {
  std::string out(16, '\0');
  WriteU16(&out, 0, kRecordLength);
  WriteU16(&out, 2, 1024);
  WriteU16(&out, 4, 1);
  std::string a(16, '\0'), b(16, '\0');
  WriteU16(&a, 0, 1);
  WriteU16(&a, 2, 20);
  WriteU16(&a, 4, rm::kFlagSegmented);
  WriteU16(&b, 0, 21);
  WriteU16(&b, 2, 4);
  WriteU16(&b, 4, rm::kFlagBinary);
  return out + a + b;
}

// Record n: its key is "NAME" + n / 7 (text) and n (number), so that the
// text segment alone holds duplicates the number tells apart.
std::string Key(uint32_t n) {
  char name[21];
  std::snprintf(name, sizeof name, "NAME%08u", n / 7);
  std::string key(name);
  key.resize(20, ' ');
  AppendU32(&key, n);
  return key;
}
std::string Record(uint32_t n) {
  std::string r = Key(n) + "payload of the record ";
  r.resize(kRecordLength, '.');
  return r;
}
// The collating form the engine stores for key n: the text as it is, the
// number big-endian.
std::string Collated(uint32_t n) {
  std::string k = Key(n);
  std::swap(k[20], k[23]);
  std::swap(k[21], k[22]);
  return k;
}

long RssKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class Engine {
 public:
  explicit Engine(const std::string& path) : manager_(env_) {
    std::string key = path;
    key.resize(255, '\0');
    std::string data = "OWNR";
    data.resize(rm::kMaxRecordLength, '\0');
    uint32_t length = 5;
    if (Call(rm::kOpen, &data, &length, key, 0) != 0) std::abort();
  }
  ~Engine() {
    std::string data(1, '\0'), key(255, '\0');
    uint32_t length = 0;
    Call(rm::kReset, &data, &length, key, 0);
  }
  static void Create(const std::string& path) {
    PosixEnv env;
    RecordManager manager(env);
    PositionBlock block{};
    std::string data = Definition();
    data.resize(rm::kMaxRecordLength, '\0');
    uint32_t length = rm::kMaxRecordLength;
    std::string key = path + '\0';
    if (manager.RecordManagerCall(rm::kCreate, block, data, &length, key,
                                  static_cast<uint8_t>(key.size()), rm::kCreateNoReplace) != 0) {
      std::abort();
    }
  }
  int16_t Call(int16_t operation, std::string* data, uint32_t* length, std::string& key,
               int8_t key_number) {
    return manager_.RecordManagerCall(operation, block_, *data, length, key, 255, key_number);
  }
  int16_t Insert(uint32_t n) {
    data_ = Record(n);
    uint32_t length = kRecordLength;
    key_.assign(255, '\0');
    return Call(rm::kInsert, &data_, &length, key_, 0);
  }
  int16_t Read(int16_t operation, const std::string& key = "") {
    data_.assign(rm::kMaxRecordLength, '\0');
    uint32_t length = rm::kMaxRecordLength;
    key_ = key;
    key_.resize(255, '\0');
    return Call(operation, &data_, &length, key_, 0);
  }
  int16_t Direct(uint32_t position) {
    data_.assign(rm::kMaxRecordLength, '\0');
    WriteU32(&data_, 0, position);
    uint32_t length = rm::kMaxRecordLength;
    key_.assign(255, '\0');
    return Call(rm::kGetDirect, &data_, &length, key_, 0);
  }
  int16_t Simple(int16_t operation) {
    std::string data(1, '\0'), key(255, '\0');
    uint32_t length = 0;
    return Call(operation, &data, &length, key, 0);
  }

 private:
  PosixEnv env_;
  RecordManager manager_;
  PositionBlock block_{};
  std::string data_;
  std::string key_;
};

// Raw SQLite on the same table shape, with the same pragmas.
class Raw {
 public:
  explicit Raw(const std::string& path, bool create) {
    sqlite3_open(path.c_str(), &db_);
    sqlite3_exec(db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA cache_size=-4096;",
                 nullptr, nullptr, nullptr);
    if (create) {
      sqlite3_exec(
          db_,
          "CREATE TABLE records(pos INTEGER PRIMARY KEY AUTOINCREMENT, data BLOB NOT NULL, "
          "k0 BLOB NOT NULL); CREATE UNIQUE INDEX key0 ON records(k0);",
          nullptr, nullptr, nullptr);
    }
    Prepare("INSERT INTO records(data, k0) VALUES(?1, ?2)", &insert_);
    Prepare("SELECT pos, data, k0 FROM records WHERE k0 >= ?1 ORDER BY k0 LIMIT 1", &ascending_);
    Prepare("SELECT pos, data, k0 FROM records WHERE k0 < ?1 ORDER BY k0 DESC LIMIT 1",
            &descending_);
    Prepare("SELECT data FROM records WHERE pos = ?1", &direct_);
  }
  ~Raw() {
    for (sqlite3_stmt* s : {insert_, ascending_, descending_, direct_}) sqlite3_finalize(s);
    sqlite3_close(db_);
  }
  void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
  void Insert(uint32_t n) {
    const std::string r = Record(n), k = Collated(n);
    sqlite3_bind_blob(insert_, 1, r.data(), static_cast<int>(r.size()), SQLITE_STATIC);
    sqlite3_bind_blob(insert_, 2, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
    if (sqlite3_step(insert_) != SQLITE_DONE) std::abort();
    sqlite3_reset(insert_);
  }
  // One indexed step: the row at or after (or before) `bound`; its column comes back.
  std::string Step(bool ascending, const std::string& bound) {
    sqlite3_stmt* s = ascending ? ascending_ : descending_;
    sqlite3_bind_blob(s, 1, bound.data(), static_cast<int>(bound.size()), SQLITE_TRANSIENT);
    std::string column;
    if (sqlite3_step(s) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_blob(s, 1));
      column.assign(static_cast<const char*>(sqlite3_column_blob(s, 2)),
                    sqlite3_column_bytes(s, 2));
    }
    sqlite3_reset(s);
    return column;
  }
  void Direct(int64_t pos) {
    sqlite3_bind_int64(direct_, 1, pos);
    if (sqlite3_step(direct_) == SQLITE_ROW)
      benchmark::DoNotOptimize(sqlite3_column_blob(direct_, 0));
    sqlite3_reset(direct_);
  }

 private:
  void Prepare(const char* sql, sqlite3_stmt** s) { sqlite3_prepare_v2(db_, sql, -1, s, nullptr); }
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* ascending_ = nullptr;
  sqlite3_stmt* descending_ = nullptr;
  sqlite3_stmt* direct_ = nullptr;
};

// The files of the run, made once: engine and raw at 100,000 records, and
// an engine file of 10,000 for the memory comparison.
struct Files {
  Files() {
    char pattern[] = "/tmp/zulbench.XXXXXX";
    dir = ::mkdtemp(pattern);
    Fill(dir + "/big.dat", kRecords);
    Fill(dir + "/small.dat", kRecords / 10);
    Raw raw(dir + "/raw.db", true);
    raw.Exec("BEGIN");
    for (uint32_t n = 0; n < kRecords; ++n) raw.Insert(n);
    raw.Exec("COMMIT");
  }
  ~Files() { std::filesystem::remove_all(dir); }
  static void Fill(const std::string& path, uint32_t count) {
    Engine::Create(path);
    Engine engine(path);
    engine.Simple(rm::kBeginTransaction);
    for (uint32_t n = 0; n < count; ++n) engine.Insert(n);
    engine.Simple(rm::kEndTransaction);
  }
  std::string dir;
};

Files& TheFiles() {
  static Files files;
  return files;
}

void BM_EngineInsert(benchmark::State& state) {
  const std::string path = TheFiles().dir + "/insert" + std::to_string(state.range(0)) + ".dat";
  std::filesystem::remove(path);
  Engine::Create(path);
  Engine engine(path);
  uint32_t n = 0;
  for (auto _ : state) {
    if (engine.Insert(n++) != 0) state.SkipWithError("insert failed");
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_RawInsert(benchmark::State& state) {
  const std::string path = TheFiles().dir + "/rawinsert" + std::to_string(state.range(0)) + ".db";
  std::filesystem::remove(path);
  Raw raw(path, true);
  uint32_t n = 0;
  for (auto _ : state) raw.Insert(n++);
  state.SetItemsProcessed(state.iterations());
}

void BM_EngineGetEqual(benchmark::State& state) {
  Engine engine(TheFiles().dir + "/big.dat");
  std::mt19937 random(1);
  for (auto _ : state) {
    if (engine.Read(rm::kGetEqual, Key(random() % kRecords)) != 0) state.SkipWithError("not found");
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_RawGetEqual(benchmark::State& state) {
  Raw raw(TheFiles().dir + "/raw.db", false);
  std::mt19937 random(1);
  for (auto _ : state) benchmark::DoNotOptimize(raw.Step(true, Collated(random() % kRecords)));
  state.SetItemsProcessed(state.iterations());
}

void BM_EngineGetNext(benchmark::State& state) {
  Engine engine(TheFiles().dir + "/big.dat");
  engine.Read(rm::kGetFirst);
  for (auto _ : state) {
    if (engine.Read(rm::kGetNext) != 0) engine.Read(rm::kGetFirst);
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_RawGetNext(benchmark::State& state) {
  Raw raw(TheFiles().dir + "/raw.db", false);
  std::string current = raw.Step(true, "");
  for (auto _ : state) {
    current = raw.Step(true, current + '\0');
    if (current.empty()) current = raw.Step(true, "");
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_EngineGetPrevious(benchmark::State& state) {
  Engine engine(TheFiles().dir + "/big.dat");
  engine.Read(rm::kGetLast);
  for (auto _ : state) {
    if (engine.Read(rm::kGetPrevious) != 0) engine.Read(rm::kGetLast);
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_RawGetPrevious(benchmark::State& state) {
  Raw raw(TheFiles().dir + "/raw.db", false);
  const std::string top(30, '\xFF');
  std::string current = raw.Step(false, top);
  for (auto _ : state) {
    current = raw.Step(false, current);
    if (current.empty()) current = raw.Step(false, top);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_EngineGetDirect(benchmark::State& state) {
  Engine engine(TheFiles().dir + "/big.dat");
  std::mt19937 random(2);
  for (auto _ : state) {
    if (engine.Direct(1 + random() % kRecords) != 0) state.SkipWithError("no record");
  }
  state.SetItemsProcessed(state.iterations());
}
void BM_RawGetDirect(benchmark::State& state) {
  Raw raw(TheFiles().dir + "/raw.db", false);
  std::mt19937 random(2);
  for (auto _ : state) raw.Direct(1 + random() % kRecords);
  state.SetItemsProcessed(state.iterations());
}

// Walks a whole file with Get Next; the resident memory it adds must not
// grow with the file (the page cache is bounded).
void BM_EngineWalkWholeFile(benchmark::State& state) {
  const bool big = state.range(0) == kRecords;
  const std::string path = TheFiles().dir + (big ? "/big.dat" : "/small.dat");
  long growth = 0;
  for (auto _ : state) {
    const long before = RssKb();
    Engine engine(path);
    int16_t op = rm::kGetFirst;
    while (engine.Read(op) == 0) op = rm::kGetNext;
    growth = std::max(growth, RssKb() - before);
  }
  state.counters["rss_growth_kb"] = static_cast<double>(growth);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_EngineInsert)->Arg(1)->Iterations(2000);
BENCHMARK(BM_RawInsert)->Arg(1)->Iterations(2000);
BENCHMARK(BM_EngineGetEqual);
BENCHMARK(BM_RawGetEqual);
BENCHMARK(BM_EngineGetNext);
BENCHMARK(BM_RawGetNext);
BENCHMARK(BM_EngineGetPrevious);
BENCHMARK(BM_RawGetPrevious);
BENCHMARK(BM_EngineGetDirect);
BENCHMARK(BM_RawGetDirect);
BENCHMARK(BM_EngineWalkWholeFile)
    ->Arg(kRecords / 10)
    ->Arg(kRecords)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zul
