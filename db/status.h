// The statuses the record layer adds to the record manager's own
// (platform/record_manager/status.h), which it passes on unchanged, except
// 22 (record cut to the buffer) which it answers as 0.
#ifndef ZUL_DB_STATUS_H_
#define ZUL_DB_STATUS_H_

#include <cstdint>

namespace zul::db {

inline constexpr int16_t kFileIdNotOpen = 3;
inline constexpr int16_t kEndOfRange = 9;
inline constexpr int16_t kFileIdAlreadyOpen = 1002;
inline constexpr int16_t kNoFreeSlot = 1003;
inline constexpr int16_t kNoSuchKey = 1004;

}  // namespace zul::db

#endif  // ZUL_DB_STATUS_H_
