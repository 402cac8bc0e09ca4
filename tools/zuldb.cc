// zuldb: the data tool for administrators. Describes, creates, fills,
// exports and shows the suite's data files.
//
//   zuldb describe DESCRIPTION ENTRY      dictionary entry (.xdf) from a description
//   zuldb create ENTRY DATAFILE           empty data file from a dictionary entry
//   zuldb import DESCRIPTION DATAFILE CSV records from a UTF-8 CSV file, all or none
//   zuldb export DESCRIPTION DATAFILE [KEY]  records as UTF-8 CSV, along key KEY (0)
//   zuldb show DATAFILE                   definition and record count
//
// Arguments and output are UTF-8; the files hold code page 850.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/cp850.h"
#include "platform/posix_env.h"
#include "platform/record_manager/record_manager.h"
#include "tools/csv.h"
#include "tools/data_description.h"

namespace zul {
namespace {

constexpr char kUsage[] =
    "usage: zuldb describe DESCRIPTION ENTRY\n"
    "       zuldb create ENTRY DATAFILE\n"
    "       zuldb import DESCRIPTION DATAFILE CSVFILE\n"
    "       zuldb export DESCRIPTION DATAFILE [KEY]\n"
    "       zuldb show DATAFILE\n"
    "\n"
    "describe writes the data dictionary entry (.xdf) of the file that the\n"
    "    settings-format DESCRIPTION describes (sections Fitxer, Camps, Clau0...,\n"
    "    Ordenacio).\n"
    "create makes an empty data file from a dictionary entry; it never replaces\n"
    "    an existing file.\n"
    "import adds the records of a UTF-8 CSV file whose first row names the\n"
    "    fields. The file is opened for maintenance, so no other program may have\n"
    "    it open. On the first bad row nothing of the import is kept.\n"
    "export writes every record as CSV to standard output, in the order of KEY.\n"
    "show prints the file's definition and its number of records.\n"
    "\n"
    "Exit codes: 0 done, 1 refused or failed (with a message), 2 bad usage.\n";

// The engine and one open data file.
class DataFile {
 public:
  explicit DataFile(Env& env) : manager_(env) {}
  ~DataFile() { Reset(); }

  int16_t Create(const std::string& path, std::string definition) {
    definition.resize(rm::kMaxRecordLength, '\0');
    uint32_t length = rm::kMaxRecordLength;
    std::string key = path + '\0';
    return manager_.RecordManagerCall(rm::kCreate, block_, definition, &length, key,
                                      static_cast<uint8_t>(std::min<size_t>(key.size(), 255)),
                                      rm::kCreateNoReplace);
  }
  int16_t Open(const std::string& path, int8_t mode) {
    std::string owner("QVRN\0", 5);
    uint32_t length = 5;
    std::string key = path + '\0';
    return manager_.RecordManagerCall(rm::kOpen, block_, owner, &length, key,
                                      static_cast<uint8_t>(std::min<size_t>(key.size(), 255)),
                                      mode);
  }
  int16_t Call(int16_t operation, std::string* data, uint32_t* length, int8_t key_number = 0) {
    key_.assign(255, '\0');
    return manager_.RecordManagerCall(operation, block_, *data, length, key_, 255, key_number);
  }
  int16_t Simple(int16_t operation) {
    std::string data(1, '\0');
    uint32_t length = 0;
    return Call(operation, &data, &length);
  }
  void Reset() { Simple(rm::kReset); }

 private:
  RecordManager manager_;
  PositionBlock block_{};
  std::string key_;
};

std::string Utf8(std::string_view cp850) { return Cp850ToUtf8(cp850); }

int Refuse(const std::string& message) {
  std::fprintf(stderr, "zuldb: %s\n", Utf8(message).c_str());
  return 1;
}

int RefuseStatus(const std::string& path, int16_t status) {
  return Refuse(path + ": " + rm::StatusText(status) + " (status " + std::to_string(status) + ")");
}

bool ReadWhole(Env& env, const std::string& path, std::string* bytes, int64_t limit) {
  std::unique_ptr<File> file = env.Open(path, OpenMode::kRead);
  if (file == nullptr) return false;
  const int64_t size = file->Size();
  if (size < 0 || size > limit) return false;
  bytes->assign(static_cast<size_t>(size), '\0');
  return file->ReadAt(0, bytes->data(), bytes->size()) == size;
}

int Describe(Env& env, const std::string& description_path, const std::string& entry_path) {
  DataDescription d;
  std::string error;
  if (!ReadDataDescription(env, description_path, &d, &error))
    return Refuse(description_path + ": " + error);
  const std::string definition = rm::EncodeFileDefinition(d.layout);
  std::string entry;
  AppendU16(&entry, static_cast<uint16_t>(definition.size()));
  entry += definition;
  // Written whole under another name and renamed into place.
  const std::string temp = entry_path + ".new";
  std::unique_ptr<File> file = env.Open(temp, OpenMode::kWrite);
  if (file == nullptr || !file->Write(entry) || !file->Sync()) {
    file.reset();
    env.Delete(temp);
    return Refuse(entry_path + ": cannot be written: " + env.LastError());
  }
  file.reset();
  if (!env.Rename(temp, entry_path)) {
    env.Delete(temp);
    return Refuse(entry_path + ": cannot be written: " + env.LastError());
  }
  return 0;
}

int Create(Env& env, const std::string& entry_path, const std::string& data_path) {
  std::string entry;
  if (!ReadWhole(env, entry_path, &entry, 2 + rm::kMaxRecordLength + 2)) {
    return Refuse(entry_path + ": not a readable dictionary entry");
  }
  uint16_t length = 0;
  if (!ReadU16(entry, 0, &length) || length > rm::kMaxRecordLength || entry.size() < 2u + length) {
    return Refuse(entry_path + ": the entry's length does not match the file");
  }
  DataFile file(env);
  const int16_t status = file.Create(data_path, entry.substr(2, length));
  return status == 0 ? 0 : RefuseStatus(data_path, status);
}

// The layout of an open file, through Stat.
bool StatDefinition(DataFile& file, rm::FileDefinition* layout) {
  std::string data(rm::kMaxRecordLength, '\0');
  uint32_t length = rm::kMaxRecordLength;
  return file.Call(rm::kStat, &data, &length) == 0 &&
         rm::ParseFileDefinition(std::string_view(data).substr(0, length), layout) == 0;
}

int Import(Env& env, const std::string& description_path, const std::string& data_path,
           const std::string& csv_path) {
  DataDescription d;
  std::string error;
  if (!ReadDataDescription(env, description_path, &d, &error))
    return Refuse(description_path + ": " + error);
  std::string text;
  if (!ReadWhole(env, csv_path, &text, int64_t{1} << 30))
    return Refuse(csv_path + ": cannot be read");
  std::vector<CsvRow> rows;
  size_t bad_line = 0;
  if (!ParseCsv(text, &rows, &bad_line)) {
    return Refuse(csv_path + " line " + std::to_string(bad_line) +
                  ": a quoted field is never closed; nothing was imported");
  }
  if (rows.empty()) return Refuse(csv_path + ": no header row");
  auto row_error = [&](const CsvRow& row, const std::string& field, const std::string& reason) {
    return Refuse(csv_path + " line " + std::to_string(row.line) +
                  (field.empty() ? "" : ", field " + field) + ": " + reason +
                  "; nothing was imported");
  };
  // The header: which field each column fills.
  std::vector<const FieldDescription*> columns;
  for (const std::string& utf8 : rows[0].fields) {
    std::string name;
    if (!Utf8ToCp850(utf8, &name))
      return row_error(rows[0], "", "a header that is not code page 850 text");
    const FieldDescription* field = nullptr;
    for (const FieldDescription& f : d.fields) {
      if (f.name == name) field = &f;
    }
    if (field == nullptr) return row_error(rows[0], name, "no such field in " + description_path);
    for (const FieldDescription* seen : columns) {
      if (seen == field) return row_error(rows[0], name, "named twice");
    }
    columns.push_back(field);
  }

  DataFile file(env);
  int16_t status = file.Open(data_path, rm::kOpenExclusive);
  if (status == rm::kFileLocked) return Refuse(data_path + ": another program has the file open");
  if (status != 0) return RefuseStatus(data_path, status);
  rm::FileDefinition layout;
  if (!StatDefinition(file, &layout) ||
      rm::EncodeFileDefinition(layout) != rm::EncodeFileDefinition(d.layout)) {
    return Refuse(data_path + ": its definition is not the one " + description_path + " describes");
  }
  // One transaction: a bad row, or the tool killed, keeps nothing.
  status = file.Simple(rm::kBeginTransaction);
  if (status != 0) return RefuseStatus(data_path, status);
  for (size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    if (row.fields.size() != columns.size()) {
      file.Simple(rm::kAbortTransaction);
      return row_error(row, "",
                       std::to_string(row.fields.size()) + " values for " +
                           std::to_string(columns.size()) + " columns");
    }
    std::string record(d.layout.record_length, '\0');
    for (const FieldDescription& f : d.fields) StoreDefault(f, &record);
    for (size_t c = 0; c < columns.size(); ++c) {
      std::string value, reason;
      if (!Utf8ToCp850(row.fields[c], &value)) {
        reason = "holds a character that code page 850 cannot hold";
      } else {
        StoreField(*columns[c], value, &record, &reason);
      }
      if (!reason.empty()) {
        file.Simple(rm::kAbortTransaction);
        return row_error(row, columns[c]->name, reason);
      }
    }
    uint32_t length = d.layout.record_length;
    status = file.Call(rm::kInsert, &record, &length);
    if (status != 0) {
      file.Simple(rm::kAbortTransaction);
      return row_error(row, "",
                       status == rm::kDuplicateKey
                           ? std::string("a record with the same value of a key that "
                                         "allows no duplicates exists")
                           : std::string(rm::StatusText(status)));
    }
  }
  status = file.Simple(rm::kEndTransaction);
  if (status != 0) return RefuseStatus(data_path, status);
  std::printf("%zu records imported into %s\n", rows.size() - 1, Utf8(data_path).c_str());
  return 0;
}

int Export(Env& env, const std::string& description_path, const std::string& data_path,
           int key_number) {
  DataDescription d;
  std::string error;
  if (!ReadDataDescription(env, description_path, &d, &error))
    return Refuse(description_path + ": " + error);
  DataFile file(env);
  int16_t status = file.Open(data_path, 0);
  if (status != 0) return RefuseStatus(data_path, status);
  if (key_number < 0 || static_cast<size_t>(key_number) >= d.layout.keys.size()) {
    return Refuse(data_path + ": no key " + std::to_string(key_number));
  }
  std::string out;
  for (size_t i = 0; i < d.fields.size(); ++i)
    out += (i ? "," : "") + CsvField(Utf8(d.fields[i].name));
  out += "\r\n";
  int16_t operation = rm::kGetFirst;
  for (;;) {
    std::string record(rm::kMaxRecordLength, '\0');
    uint32_t length = rm::kMaxRecordLength;
    status = file.Call(operation, &record, &length, static_cast<int8_t>(key_number));
    if (status == rm::kEndOfFile) break;
    if (status != 0) return RefuseStatus(data_path, status);
    record.resize(length);
    if (record.size() != d.layout.record_length)
      return Refuse(data_path + ": record length differs from the description");
    for (size_t i = 0; i < d.fields.size(); ++i)
      out += (i ? "," : "") + CsvField(Utf8(FieldText(d.fields[i], record)));
    out += "\r\n";
    operation = rm::kGetNext;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

std::string FlagNames(uint16_t flags) {
  std::string names;
  const struct {
    uint16_t flag;
    const char* name;
  } kNames[] = {{rm::kFlagDuplicates, "duplicates"},
                {rm::kFlagModifiable, "modifiable"},
                {rm::kFlagBinary, "binary"},
                {rm::kFlagAlternate, "collating table"}};
  for (const auto& n : kNames) {
    if (flags & n.flag) names += std::string(names.empty() ? "" : ", ") + n.name;
  }
  return names.empty() ? "-" : names;
}

int Show(Env& env, const std::string& data_path) {
  DataFile file(env);
  int16_t status = file.Open(data_path, 0);
  if (status != 0) return RefuseStatus(data_path, status);
  rm::FileDefinition layout;
  if (!StatDefinition(file, &layout)) return Refuse(data_path + ": no definition");
  std::printf("record length %u, page size %u, %zu key%s\n", layout.record_length, layout.page_size,
              layout.keys.size(), layout.keys.size() == 1 ? "" : "s");
  for (size_t k = 0; k < layout.keys.size(); ++k) {
    std::printf("key %zu: %u bytes\n", k, layout.keys[k].Length());
    for (const rm::KeySegment& s : layout.keys[k].segments) {
      std::printf("  position %u, length %u, %s\n", s.position, s.length,
                  FlagNames(s.flags).c_str());
    }
  }
  if (layout.has_collating)
    std::printf("collating table %s\n", Utf8(layout.collating_name).c_str());
  long count = 0;
  for (int16_t operation = rm::kGetFirst;; operation = rm::kGetNext) {
    std::string record(rm::kMaxRecordLength, '\0');
    uint32_t length = rm::kMaxRecordLength;
    status = file.Call(operation, &record, &length);
    if (status == rm::kEndOfFile) break;
    if (status != 0) return RefuseStatus(data_path, status);
    ++count;
  }
  std::printf("%ld record%s\n", count, count == 1 ? "" : "s");
  return 0;
}

int Usage(FILE* out, int code) {
  std::fputs(kUsage, out);
  return code;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return Usage(stdout, 0);
  if (args.empty()) return Usage(stderr, 2);
  std::vector<std::string> text(args.size());
  for (size_t i = 1; i < args.size(); ++i) {
    if (!Utf8ToCp850(args[i], &text[i])) {
      std::fprintf(stderr, "zuldb: \"%s\" holds a character that code page 850 cannot hold\n",
                   args[i].c_str());
      return 2;
    }
  }
  PosixEnv env;
  const std::string& command = args[0];
  if (command == "describe" && args.size() == 3) return Describe(env, text[1], text[2]);
  if (command == "create" && args.size() == 3) return Create(env, text[1], text[2]);
  if (command == "import" && args.size() == 4) return Import(env, text[1], text[2], text[3]);
  if (command == "export" && (args.size() == 3 || args.size() == 4)) {
    int key = 0;
    if (args.size() == 4) {
      if (args[3].empty() || args[3].find_first_not_of("0123456789") != std::string::npos ||
          args[3].size() > 3) {
        return Usage(stderr, 2);
      }
      key = std::stoi(args[3]);
    }
    return Export(env, text[1], text[2], key);
  }
  if (command == "show" && args.size() == 2) return Show(env, text[1]);
  return Usage(stderr, 2);
}

}  // namespace
}  // namespace zul

int main(int argc, char** argv) {
  return zul::Run(std::vector<std::string>(argv + 1, argv + argc));
}
