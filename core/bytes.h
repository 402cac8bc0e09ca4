// Little-endian reads and writes on byte strings, with bounds checks.
//
// Every binary layout of the system (window stack file, lookup work file,
// records, creation buffers) goes through these helpers instead of casting
// structs over bytes. A read outside the buffer reports false and leaves the
// output untouched; a write outside it does nothing and reports false.
#ifndef ZUL_CORE_BYTES_H_
#define ZUL_CORE_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

inline bool ReadU16(std::string_view buf, size_t offset, uint16_t* out) {
  if (offset > buf.size() || buf.size() - offset < 2) return false;
  *out = static_cast<uint16_t>(static_cast<unsigned char>(buf[offset]) |
                               static_cast<unsigned char>(buf[offset + 1]) << 8);
  return true;
}

inline bool ReadI16(std::string_view buf, size_t offset, int16_t* out) {
  uint16_t u;
  if (!ReadU16(buf, offset, &u)) return false;
  *out = static_cast<int16_t>(u);
  return true;
}

inline bool ReadU32(std::string_view buf, size_t offset, uint32_t* out) {
  if (offset > buf.size() || buf.size() - offset < 4) return false;
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(buf[offset + i]);
  *out = v;
  return true;
}

inline bool WriteU16(std::string* buf, size_t offset, uint16_t value) {
  if (offset > buf->size() || buf->size() - offset < 2) return false;
  (*buf)[offset] = static_cast<char>(value & 0xFF);
  (*buf)[offset + 1] = static_cast<char>(value >> 8);
  return true;
}

inline bool WriteU32(std::string* buf, size_t offset, uint32_t value) {
  if (offset > buf->size() || buf->size() - offset < 4) return false;
  for (int i = 0; i < 4; ++i) (*buf)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return true;
}

inline void AppendU16(std::string* buf, uint16_t value) {
  buf->push_back(static_cast<char>(value & 0xFF));
  buf->push_back(static_cast<char>(value >> 8));
}

inline void AppendU32(std::string* buf, uint32_t value) {
  for (int i = 0; i < 4; ++i) buf->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace zul

#endif  // ZUL_CORE_BYTES_H_
