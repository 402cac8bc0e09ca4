// Test helpers for the record manager engine: definitions built from a few
// numbers, and one open data file driven through RecordManagerCall with
// std::string records and keys.
#ifndef ZUL_TESTS_PLATFORM_RECORD_FILE_H_
#define ZUL_TESTS_PLATFORM_RECORD_FILE_H_

#include <array>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "platform/record_manager/record_manager.h"

namespace zul::testing {

struct Segment {
  uint16_t position;
  uint16_t length;
  uint16_t flags;
};

// A creation buffer: one key per inner vector; flag 16 is added between the
// segments of a key. With `table` the collating sequence is appended.
inline std::string Definition(uint16_t record_length, const std::vector<std::vector<Segment>>& keys,
                              const std::string& table = "") {
  std::string out(16, '\0');
  WriteU16(&out, 0, record_length);
  WriteU16(&out, 2, 1024);
  WriteU16(&out, 4, static_cast<uint16_t>(keys.size()));
  for (const auto& key : keys) {
    for (size_t i = 0; i < key.size(); ++i) {
      std::string block(16, '\0');
      WriteU16(&block, 0, key[i].position);
      WriteU16(&block, 2, key[i].length);
      WriteU16(&block, 4, key[i].flags | (i + 1 < key.size() ? rm::kFlagSegmented : 0));
      out += block;
    }
  }
  if (!table.empty())
    out += std::string(1, static_cast<char>(rm::kCollatingSignature)) + "UPPER   " + table;
  return out;
}

// The 256-byte table that folds a-z onto A-Z.
inline std::string UpperTable() {
  std::string table(256, '\0');
  for (int i = 0; i < 256; ++i) table[i] = static_cast<char>(i >= 'a' && i <= 'z' ? i - 32 : i);
  return table;
}

inline std::string U16(uint16_t v) {
  std::string s;
  AppendU16(&s, v);
  return s;
}

inline std::string U32(uint32_t v) {
  std::string s;
  AppendU32(&s, v);
  return s;
}

// Records of the multi-process tests, 20 bytes: a 4-byte number (key 0,
// binary, unique), an 8-byte group name (key 1, duplicates) and a payload.
inline std::string NumberedDefinition() {
  return Definition(20, {{{1, 4, rm::kFlagBinary}}, {{5, 8, rm::kFlagDuplicates}}});
}
inline std::string Numbered(uint32_t n) {
  std::string r = U32(n) + "group" + std::to_string(n % 7);
  r.resize(12, ' ');
  r += "payload.";
  return r;
}

// One open file of one RecordManager.
class RecordFile {
 public:
  explicit RecordFile(RecordManager& manager) : manager_(manager) {}

  int16_t Create(const std::string& path, const std::string& definition, int8_t mode = -1) {
    std::string data = definition;
    data.resize(1536, '\0');
    uint32_t length = 1536;
    std::string key = path + '\0';
    return Call(rm::kCreate, data, &length, key, static_cast<uint8_t>(key.size()), mode);
  }
  int16_t Open(const std::string& path, int8_t mode = 0) {
    std::string data = "OWNR";
    data.push_back('\0');
    uint32_t length = 5;
    std::string key = path + '\0';
    return Call(rm::kOpen, data, &length, key, static_cast<uint8_t>(key.size()), mode);
  }
  int16_t Close() { return Simple(rm::kClose); }
  int16_t Simple(int16_t operation) {
    std::string data(1, '\0'), key(1, '\0');
    uint32_t length = 0;
    return Call(operation, data, &length, key, 0, 0);
  }
  // Stat: the answer in *answer.
  int16_t Stat(std::string* answer) {
    std::string data(1536, '\0'), key(255, '\0');
    uint32_t length = 1536;
    const int16_t status = Call(rm::kStat, data, &length, key, 255, 0);
    *answer = data.substr(0, length);
    return status;
  }
  // Any record operation: `record` in and out (cut to the answered length),
  // `key` in and out, the key length the key buffer's size.
  int16_t Op(int16_t operation, int8_t key_number, std::string* key, std::string* record,
             uint32_t buffer = 1536) {
    std::string data = *record;
    data.resize(buffer, '\0');
    uint32_t length = operation == rm::kInsert || operation == rm::kUpdate
                          ? static_cast<uint32_t>(record->size())
                          : buffer;
    std::string key_buffer = *key;
    key_buffer.resize(255, '\0');
    const int16_t status = Call(operation, data, &length, key_buffer, 255, key_number);
    *record = data.substr(0, length);
    *key = key_buffer.substr(0, key->size());
    return status;
  }
  int16_t Insert(const std::string& record, int8_t key_number = 0) {
    std::string r = record, k(255, '\0');
    return Op(rm::kInsert, key_number, &k, &r);
  }
  int16_t Call(int16_t operation, std::string& data, uint32_t* length, std::string& key,
               uint8_t key_length, int8_t key_number) {
    return manager_.RecordManagerCall(operation, block_, data, length, key, key_length, key_number);
  }
  PositionBlock& block() { return block_; }

 private:
  RecordManager& manager_;
  PositionBlock block_{};
};

}  // namespace zul::testing

#endif  // ZUL_TESTS_PLATFORM_RECORD_FILE_H_
