// The record layer's two messages, in the session's language: "SPA", "GLG"
// and "OCI" choose theirs, any other code the Catalan text.
#ifndef ZUL_DB_MESSAGES_H_
#define ZUL_DB_MESSAGES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

// The access message: the text, the name as the caller gave it, and the
// status in parentheses: "NO ES POT ACCEDIR AL FITXER DADES\X (94)".
std::string AccessMessage(std::string_view language, std::string_view name, int16_t status);

std::string_view LockMessage(std::string_view language);

}  // namespace zul

#endif  // ZUL_DB_MESSAGES_H_
