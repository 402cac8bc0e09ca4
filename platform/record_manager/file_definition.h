// The definition of a data file: record length, keys and collating table,
// and the one binary layout that carries it.
//
// The same layout is the creation buffer of Create, the answer of Stat, and
// (after a 16-bit length) a data dictionary entry (".xdf"). All numbers are
// little-endian 16-bit:
//
//   file block, 16 bytes: record length (offset 0), page size (2),
//     number of keys (4); the rest is reserved and written as zeros.
//   one 16-byte block per key segment: position counted from 1 (0), length
//     (2), flags (4); the rest reserved. A key's segments are consecutive
//     blocks; a segment with flag 16 is followed by another of the same key.
//   when any segment has flag 32: the alternate collating sequence, a
//     signature byte (kCollatingSignature), an 8-byte name, the 256-byte table.
//
// Bytes after these are ignored, so a caller may pass a whole buffer.
//
// Key order: every key compares by its collating form (CollateKey): a
// binary segment (flag 4) as an unsigned little-endian number, a segment
// with flag 32 through the collating table, any other byte by byte.
#ifndef ZUL_PLATFORM_RECORD_MANAGER_FILE_DEFINITION_H_
#define ZUL_PLATFORM_RECORD_MANAGER_FILE_DEFINITION_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zul::rm {

inline constexpr uint16_t kFlagDuplicates = 1;
inline constexpr uint16_t kFlagModifiable = 2;
inline constexpr uint16_t kFlagBinary = 4;
inline constexpr uint16_t kFlagSegmented = 16;
inline constexpr uint16_t kFlagAlternate = 32;

inline constexpr size_t kFileDefinitionBytes = 16;
inline constexpr size_t kSegmentBytes = 16;
inline constexpr size_t kCollatingBytes = 1 + 8 + 256;
inline constexpr uint8_t kCollatingSignature = 0xA5;

// The largest record, and the exchange buffer every record fits in.
inline constexpr uint16_t kMaxRecordLength = 1536;
// A key value must fit the 8-bit key length.
inline constexpr uint16_t kMaxKeyLength = 255;
inline constexpr size_t kMaxKeys = 24;

struct KeySegment {
  uint16_t position = 0;  // from 1
  uint16_t length = 0;
  uint16_t flags = 0;
};

struct KeyDefinition {
  std::vector<KeySegment> segments;
  // Duplicates and modifiable are properties of the whole key, read from its
  // first segment.
  bool Duplicates() const { return !segments.empty() && (segments[0].flags & kFlagDuplicates); }
  bool Modifiable() const { return !segments.empty() && (segments[0].flags & kFlagModifiable); }
  uint16_t Length() const;
};

struct FileDefinition {
  uint16_t record_length = 0;
  uint16_t page_size = 0;
  std::vector<KeyDefinition> keys;
  bool has_collating = false;
  std::string collating_name;  // 8 bytes when has_collating
  std::array<uint8_t, 256> collating_table{};
};

// Reads a definition. Answers kOk, or kInvalidDefinition when the bytes are
// too short for what they announce, there is no key, a record length is 0
// or above kMaxRecordLength, a segment is empty or lies beyond the record, a
// key is longer than kMaxKeyLength, or flag 32 is used without a collating
// table carrying kCollatingSignature.
int16_t ParseFileDefinition(std::string_view bytes, FileDefinition* layout);

// The layout of a valid definition (collating table included when present).
std::string EncodeFileDefinition(const FileDefinition& layout);

// The value of key `key` in `record`: its segments' bytes, in order.
// `record` must be record_length bytes long.
std::string KeyValueOf(const FileDefinition& layout, size_t key, std::string_view record);

// The collating form of `key_value` for key `key`: walking the segments with
// p the segment's place in the value, a binary segment's n bytes are
// reversed (the value first padded with zero bytes to cover them), a
// flag-32 segment's bytes that the value holds go through the collating
// table, other bytes stay. Comparing collating forms byte by byte (a prefix
// first) gives the key order.
std::string CollateKey(const FileDefinition& layout, size_t key, std::string_view key_value);

}  // namespace zul::rm

#endif  // ZUL_PLATFORM_RECORD_MANAGER_FILE_DEFINITION_H_
