// Readable descriptions of data files, for the data tool zuldb.
//
// A description is a settings file (config/settings.h) in code page 850:
//
//   [Fitxer]
//   Registre=160            record length in bytes (1 to 1536)
//   Pagina=1024             page size, kept in the definition (optional)
//   [Camps]
//   Camp1=Codi,1,2,xifres   name, position from 1, length, type; Camp1,
//   Camp2=Adreca,7,30,text  Camp2, ... numbered without gaps
//   [Clau0]                 keys numbered from 0 without gaps
//   Camps=Codi              the key's fields, in order, separated by ","
//   Duplicats=No            Si: equal values allowed
//   Modificable=No          Si: Update may change the key
//   Taula=No                Si: text fields compare through the table
//   [Ordenacio]             the collating table, needed by Taula=Si
//   Nom=CATALA              its name, up to 8 characters
//   Regla=catala            catala: case ignored, accented letters with
//                           their base letter; or
//   Fila0=00 01 ... 0f      sixteen rows Fila0..Fila15 of 16 hex bytes
//
// Types: text (code page 850, filled with spaces), xifres (packed digits,
// two digits a byte), enter (16-bit signed little-endian number, a binary
// key segment). Fields may not overlap the record's end; a key segment is
// one field.
#ifndef ZUL_TOOLS_DATA_DESCRIPTION_H_
#define ZUL_TOOLS_DATA_DESCRIPTION_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/record_manager/file_definition.h"
#include "platform/record_manager/status.h"

namespace zul {

enum class FieldType { kText, kDigits, kInteger };

struct FieldDescription {
  std::string name;       // code page 850
  uint16_t position = 0;  // from 1
  uint16_t length = 0;
  FieldType type = FieldType::kText;
};

struct DataDescription {
  std::vector<FieldDescription> fields;
  rm::FileDefinition layout;
};

// Reads a description; on failure returns false with `*error` naming the
// section, key and reason (code page 850).
bool ReadDataDescription(Env& env, std::string_view path, DataDescription* description,
                         std::string* error);

// The collating table that orders text as a Catalan reader expects: a-z
// with A-Z, accented letters with their base letter (à with A, ç with C,
// ñ with N), every other byte as itself.
std::array<uint8_t, 256> CatalanCollatingTable();

// The value of a field in a record as text for CSV (code page 850): text
// without trailing spaces, digits unpacked, numbers in decimal.
std::string FieldText(const FieldDescription& field, std::string_view record);

// Stores `text` (code page 850) into the field of `record`; false with the
// reason when it does not fit the field's type and length.
bool StoreField(const FieldDescription& field, std::string_view text, std::string* record,
                std::string* reason);

// The value a field has when the CSV file does not give it.
void StoreDefault(const FieldDescription& field, std::string* record);

}  // namespace zul

#endif  // ZUL_TOOLS_DATA_DESCRIPTION_H_
