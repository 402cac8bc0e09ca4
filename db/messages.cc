#include "db/messages.h"

namespace zul {
namespace {

// Catalan, Spanish, Galician, Occitan (code page 850).
struct FourTexts {
  std::string_view cat, spa, glg, oci;
};

constexpr FourTexts kAccess = {
    "NO ES POT ACCEDIR AL FITXER ",
    "NO SE PUEDE ACCEDER AL FICHERO ",
    "NOM SE PODE ACEDER AO FICHEIRO ",
    "NON SE P\xE3T ACCEDIR ATH FICH\xD4R ",
};

constexpr FourTexts kLock = {
    "FITXER BLOQUEJAT. ESPEREU UN MOMENT.",
    "FICHERO BLOQUEADO. ESPERE UN MOMENTO.",
    "FICHEIRO BLOQUEADO. ESPERE UM MOMENTO.",
    "FICH\xD4R BLOQUEJAT. ESPERATZ UN MOMENT.",
};

std::string_view Choose(const FourTexts& texts, std::string_view language) {
  if (language == "SPA") return texts.spa;
  if (language == "GLG") return texts.glg;
  if (language == "OCI") return texts.oci;
  return texts.cat;
}

}  // namespace

std::string AccessMessage(std::string_view language, std::string_view name, int16_t status) {
  return std::string(Choose(kAccess, language)) + std::string(name) + " (" +
         std::to_string(status) + ")";
}

std::string_view LockMessage(std::string_view language) { return Choose(kLock, language); }

}  // namespace zul
