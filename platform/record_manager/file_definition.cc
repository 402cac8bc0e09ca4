#include "platform/record_manager/file_definition.h"

#include <algorithm>

#include "core/bytes.h"
#include "platform/record_manager/status.h"

namespace zul::rm {

uint16_t KeyDefinition::Length() const {
  uint32_t total = 0;
  for (const KeySegment& segment : segments) total += segment.length;
  return static_cast<uint16_t>(std::min<uint32_t>(total, 0xFFFF));
}

int16_t ParseFileDefinition(std::string_view bytes, FileDefinition* layout) {
  FileDefinition parsed;
  uint16_t key_count = 0;
  if (!ReadU16(bytes, 0, &parsed.record_length) || !ReadU16(bytes, 2, &parsed.page_size) ||
      !ReadU16(bytes, 4, &key_count) || bytes.size() < kFileDefinitionBytes) {
    return kInvalidDefinition;
  }
  if (parsed.record_length == 0 || parsed.record_length > kMaxRecordLength || key_count == 0 ||
      key_count > kMaxKeys) {
    return kInvalidDefinition;
  }
  size_t offset = kFileDefinitionBytes;
  bool uses_collating = false;
  for (uint16_t k = 0; k < key_count; ++k) {
    KeyDefinition key;
    uint32_t key_length = 0;
    for (;;) {
      KeySegment segment;
      if (offset + kSegmentBytes > bytes.size() || !ReadU16(bytes, offset, &segment.position) ||
          !ReadU16(bytes, offset + 2, &segment.length) ||
          !ReadU16(bytes, offset + 4, &segment.flags)) {
        return kInvalidDefinition;
      }
      offset += kSegmentBytes;
      if (segment.position == 0 || segment.length == 0 ||
          static_cast<uint32_t>(segment.position) + segment.length - 1 > parsed.record_length) {
        return kInvalidDefinition;
      }
      key_length += segment.length;
      if (segment.flags & kFlagAlternate) uses_collating = true;
      key.segments.push_back(segment);
      if (!(segment.flags & kFlagSegmented)) break;
    }
    if (key_length > kMaxKeyLength) return kInvalidDefinition;
    parsed.keys.push_back(std::move(key));
  }
  if (uses_collating) {
    if (offset + kCollatingBytes > bytes.size() ||
        static_cast<uint8_t>(bytes[offset]) != kCollatingSignature) {
      return kInvalidDefinition;
    }
    parsed.has_collating = true;
    parsed.collating_name = std::string(bytes.substr(offset + 1, 8));
    for (size_t i = 0; i < 256; ++i) {
      parsed.collating_table[i] = static_cast<uint8_t>(bytes[offset + 9 + i]);
    }
  }
  *layout = std::move(parsed);
  return kOk;
}

std::string EncodeFileDefinition(const FileDefinition& layout) {
  std::string out(kFileDefinitionBytes, '\0');
  WriteU16(&out, 0, layout.record_length);
  WriteU16(&out, 2, layout.page_size);
  WriteU16(&out, 4, static_cast<uint16_t>(layout.keys.size()));
  for (const KeyDefinition& key : layout.keys) {
    for (const KeySegment& segment : key.segments) {
      std::string block(kSegmentBytes, '\0');
      WriteU16(&block, 0, segment.position);
      WriteU16(&block, 2, segment.length);
      WriteU16(&block, 4, segment.flags);
      out += block;
    }
  }
  if (layout.has_collating) {
    out.push_back(static_cast<char>(kCollatingSignature));
    std::string name = layout.collating_name;
    name.resize(8, ' ');
    out += name;
    for (uint8_t b : layout.collating_table) out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string KeyValueOf(const FileDefinition& layout, size_t key, std::string_view record) {
  std::string value;
  if (key >= layout.keys.size()) return value;
  for (const KeySegment& segment : layout.keys[key].segments) {
    // ParseFileDefinition keeps every segment inside the record.
    value.append(record.substr(segment.position - 1, segment.length));
  }
  return value;
}

std::string CollateKey(const FileDefinition& layout, size_t key, std::string_view key_value) {
  std::string form(key_value);
  if (key >= layout.keys.size()) return form;
  size_t p = 0;  // the segment's place in the value, from 0
  for (const KeySegment& segment : layout.keys[key].segments) {
    const size_t n = segment.length;
    if (segment.flags & kFlagBinary) {
      if (form.size() < p + n) form.resize(p + n, '\0');
      std::reverse(form.begin() + static_cast<std::ptrdiff_t>(p),
                   form.begin() + static_cast<std::ptrdiff_t>(p + n));
    } else if ((segment.flags & kFlagAlternate) && layout.has_collating) {
      for (size_t i = p; i < p + n && i < form.size(); ++i) {
        form[i] = static_cast<char>(layout.collating_table[static_cast<uint8_t>(form[i])]);
      }
    }
    p += n;
  }
  return form;
}

}  // namespace zul::rm
