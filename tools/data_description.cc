#include "tools/data_description.h"

#include <charconv>

#include "config/settings.h"
#include "core/bytes.h"
#include "core/cp850.h"
#include "core/packed_digits.h"
#include "core/text.h"

namespace zul {
namespace {

// Accented letters and the base letter they sort with, as code points.
struct Folding {
  char32_t letter;
  char base;
};
constexpr Folding kFoldings[] = {
    {0xE0, 'A'}, {0xE1, 'A'}, {0xE2, 'A'}, {0xE4, 'A'}, {0xE3, 'A'}, {0xE5, 'A'}, {0xC0, 'A'},
    {0xC1, 'A'}, {0xC2, 'A'}, {0xC4, 'A'}, {0xC3, 'A'}, {0xC5, 'A'}, {0xE8, 'E'}, {0xE9, 'E'},
    {0xEA, 'E'}, {0xEB, 'E'}, {0xC8, 'E'}, {0xC9, 'E'}, {0xCA, 'E'}, {0xCB, 'E'}, {0xEC, 'I'},
    {0xED, 'I'}, {0xEE, 'I'}, {0xEF, 'I'}, {0xCC, 'I'}, {0xCD, 'I'}, {0xCE, 'I'}, {0xCF, 'I'},
    {0xF2, 'O'}, {0xF3, 'O'}, {0xF4, 'O'}, {0xF6, 'O'}, {0xF5, 'O'}, {0xD2, 'O'}, {0xD3, 'O'},
    {0xD4, 'O'}, {0xD6, 'O'}, {0xD5, 'O'}, {0xF9, 'U'}, {0xFA, 'U'}, {0xFB, 'U'}, {0xFC, 'U'},
    {0xD9, 'U'}, {0xDA, 'U'}, {0xDB, 'U'}, {0xDC, 'U'}, {0xE7, 'C'}, {0xC7, 'C'}, {0xF1, 'N'},
    {0xD1, 'N'}, {0xFD, 'Y'}, {0xDD, 'Y'}, {0xFF, 'Y'},
};

// Splits at "," and trims each piece.
std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    parts.emplace_back(Trim(text.substr(start, comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

bool ParseNumber(std::string_view text, long min, long max, long* out) {
  text = Trim(text);
  long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    return false;
  }
  *out = value;
  return true;
}

bool YesNo(std::string_view text, bool* out) {
  const std::string_view t = Trim(text);
  if (t.empty() || EqualsNoCase(t, "NO")) {
    *out = false;
  } else if (EqualsNoCase(t, "SI") || EqualsNoCase(t, "S\xD6")) {
    *out = true;
  } else {
    return false;
  }
  return true;
}

bool Fail(std::string* error, const std::string& where, const std::string& reason) {
  *error = where + ": " + reason;
  return false;
}

}  // namespace

std::array<uint8_t, 256> CatalanCollatingTable() {
  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i >= 'a' && i <= 'z' ? i - 32 : i);
  for (const Folding& f : kFoldings) {
    const int byte = UnicodeToCp850(f.letter);
    if (byte >= 0) table[byte] = static_cast<uint8_t>(f.base);
  }
  return table;
}

bool ReadDataDescription(Env& env, std::string_view path, DataDescription* description,
                         std::string* error) {
  if (!env.Exists(path)) return Fail(error, std::string(path), "the file does not exist");
  DataDescription d;
  long value = 0;
  if (!ParseNumber(ReadSetting(env, path, "Fitxer", "Registre"), 1, rm::kMaxRecordLength, &value)) {
    return Fail(error, "[Fitxer] Registre", "a record length of 1 to 1536 is needed");
  }
  d.layout.record_length = static_cast<uint16_t>(value);
  const std::string page = ReadSetting(env, path, "Fitxer", "Pagina");
  d.layout.page_size = 1024;
  if (!page.empty()) {
    if (!ParseNumber(page, 512, 65535, &value))
      return Fail(error, "[Fitxer] Pagina", "not a page size");
    d.layout.page_size = static_cast<uint16_t>(value);
  }

  for (int n = 1;; ++n) {
    const std::string key = "Camp" + std::to_string(n);
    const std::string text = ReadSetting(env, path, "Camps", key);
    if (text.empty()) break;
    const std::string where = "[Camps] " + key;
    const std::vector<std::string> parts = SplitList(text);
    if (parts.size() != 4 || parts[0].empty()) {
      return Fail(error, where, "expected name, position, length, type");
    }
    FieldDescription field;
    field.name = parts[0];
    long position = 0, length = 0;
    if (!ParseNumber(parts[1], 1, d.layout.record_length, &position) ||
        !ParseNumber(parts[2], 1, d.layout.record_length, &length) ||
        position + length - 1 > d.layout.record_length) {
      return Fail(error, where, "the field does not lie inside the record");
    }
    field.position = static_cast<uint16_t>(position);
    field.length = static_cast<uint16_t>(length);
    if (EqualsNoCase(parts[3], "text")) {
      field.type = FieldType::kText;
    } else if (EqualsNoCase(parts[3], "xifres")) {
      field.type = FieldType::kDigits;
    } else if (EqualsNoCase(parts[3], "enter")) {
      field.type = FieldType::kInteger;
      if (length != 2) return Fail(error, where, "an enter field is 2 bytes long");
    } else {
      return Fail(error, where, "unknown type \"" + parts[3] + "\" (text, xifres or enter)");
    }
    for (const FieldDescription& other : d.fields) {
      if (EqualsNoCase(other.name, field.name))
        return Fail(error, where, "a second field " + field.name);
    }
    d.fields.push_back(field);
  }
  if (d.fields.empty()) return Fail(error, "[Camps] Camp1", "no fields");

  bool needs_table = false;
  for (int k = 0;; ++k) {
    const std::string section = "Clau" + std::to_string(k);
    const std::string names = ReadSetting(env, path, section, "Camps");
    if (names.empty()) break;
    const std::string where = "[" + section + "]";
    if (k >= static_cast<int>(rm::kMaxKeys)) return Fail(error, where, "too many keys");
    bool duplicates = false, modifiable = false, table = false;
    if (!YesNo(ReadSetting(env, path, section, "Duplicats"), &duplicates) ||
        !YesNo(ReadSetting(env, path, section, "Modificable"), &modifiable) ||
        !YesNo(ReadSetting(env, path, section, "Taula"), &table)) {
      return Fail(error, where, "Duplicats, Modificable and Taula take Si or No");
    }
    needs_table = needs_table || table;
    rm::KeyDefinition key;
    for (const std::string& name : SplitList(names)) {
      const FieldDescription* field = nullptr;
      for (const FieldDescription& f : d.fields) {
        if (EqualsNoCase(f.name, name)) field = &f;
      }
      if (field == nullptr) return Fail(error, where + " Camps", "no field named \"" + name + "\"");
      rm::KeySegment segment{field->position, field->length, 0};
      if (duplicates) segment.flags |= rm::kFlagDuplicates;
      if (modifiable) segment.flags |= rm::kFlagModifiable;
      if (field->type == FieldType::kInteger) segment.flags |= rm::kFlagBinary;
      if (field->type == FieldType::kText && table) segment.flags |= rm::kFlagAlternate;
      key.segments.push_back(segment);
    }
    for (size_t i = 0; i + 1 < key.segments.size(); ++i)
      key.segments[i].flags |= rm::kFlagSegmented;
    if (key.Length() > rm::kMaxKeyLength)
      return Fail(error, where, "the key is longer than 255 bytes");
    d.layout.keys.push_back(std::move(key));
  }
  if (d.layout.keys.empty()) return Fail(error, "[Clau0] Camps", "a file needs at least key 0");

  if (needs_table) {
    d.layout.has_collating = true;
    d.layout.collating_name = FitText(ReadSetting(env, path, "Ordenacio", "Nom"), 8);
    const std::string rule = ReadSetting(env, path, "Ordenacio", "Regla");
    if (EqualsNoCase(Trim(rule), "catala")) {
      d.layout.collating_table = CatalanCollatingTable();
    } else if (!rule.empty()) {
      return Fail(error, "[Ordenacio] Regla", "the only rule is catala");
    } else {
      for (int row = 0; row < 16; ++row) {
        const std::string key = "Fila" + std::to_string(row);
        const std::string text = ReadSetting(env, path, "Ordenacio", key);
        std::vector<std::string> bytes;
        std::string hex(text);
        for (char& c : hex) {
          if (c == ' ') c = ',';
        }
        for (const std::string& b : SplitList(hex)) {
          if (!b.empty()) bytes.push_back(b);
        }
        if (bytes.size() != 16) {
          return Fail(error, "[Ordenacio] " + key,
                      "16 hexadecimal bytes are needed (or Regla=catala)");
        }
        for (int col = 0; col < 16; ++col) {
          unsigned v = 0;
          const auto [end, ec] =
              std::from_chars(bytes[col].data(), bytes[col].data() + bytes[col].size(), v, 16);
          if (ec != std::errc() || end != bytes[col].data() + bytes[col].size() || v > 255) {
            return Fail(error, "[Ordenacio] " + key,
                        "\"" + bytes[col] + "\" is not a hexadecimal byte");
          }
          d.layout.collating_table[row * 16 + col] = static_cast<uint8_t>(v);
        }
      }
    }
  }
  // The engine's own check, so that a description gives exactly the
  // definitions Create accepts.
  rm::FileDefinition check;
  if (rm::ParseFileDefinition(rm::EncodeFileDefinition(d.layout), &check) != rm::kOk) {
    return Fail(error, std::string(path), "the keys do not make a valid definition");
  }
  *description = std::move(d);
  return true;
}

std::string FieldText(const FieldDescription& field, std::string_view record) {
  const std::string_view bytes = record.substr(field.position - 1, field.length);
  switch (field.type) {
    case FieldType::kText:
      return std::string(TrimRight(bytes));
    case FieldType::kDigits:
      return UnpackDigits(bytes);
    case FieldType::kInteger: {
      int16_t v = 0;
      ReadI16(bytes, 0, &v);
      return std::to_string(v);
    }
  }
  return "";
}

bool StoreField(const FieldDescription& field, std::string_view text, std::string* record,
                std::string* reason) {
  std::string bytes;
  switch (field.type) {
    case FieldType::kText:
      if (text.size() > field.length) {
        *reason = "longer than " + std::to_string(field.length) + " characters";
        return false;
      }
      bytes = FitText(text, field.length);
      break;
    case FieldType::kDigits: {
      const std::string_view digits = Trim(text);
      const size_t room = 2u * field.length;
      if (digits.size() > room ||
          digits.find_first_not_of("0123456789") != std::string_view::npos) {
        *reason = "not a number of at most " + std::to_string(room) + " digits";
        return false;
      }
      bytes = PackDigits(std::string(room - digits.size(), '0') + std::string(digits));
      break;
    }
    case FieldType::kInteger: {
      long v = 0;
      if (!ParseNumber(text, -32768, 32767, &v)) {
        *reason = "not a whole number from -32768 to 32767";
        return false;
      }
      AppendU16(&bytes, static_cast<uint16_t>(static_cast<int16_t>(v)));
      break;
    }
  }
  record->replace(field.position - 1, field.length, bytes);
  return true;
}

void StoreDefault(const FieldDescription& field, std::string* record) {
  std::string reason;
  StoreField(field, field.type == FieldType::kInteger ? "0" : "", record, &reason);
}

}  // namespace zul
