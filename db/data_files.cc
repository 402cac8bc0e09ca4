// Opening data files and the table of open files.
#include <algorithm>
#include <memory>

#include "core/bytes.h"
#include "db/messages.h"
#include "db/record_access.h"

namespace zul {
namespace {

// The owner name every data file of the suite is opened with, built at run
// time from its pieces so that it never stands whole in the program.
std::string OwnerName() {
  constexpr char kPieces[4] = {'Q', 'V', 'R', 'N'};
  std::string name;
  for (char piece : kPieces) name.push_back(piece);
  return name;
}

}  // namespace

DataFilePath BuildDataFilePath(std::string_view name) {
  size_t directory_end = 0;  // length of the directory part
  size_t extension = std::string_view::npos;
  for (size_t i = name.size(); i > 0; --i) {
    const char c = name[i - 1];
    if (c == ':' || c == '\\' || c == '/') {
      directory_end = i;
      break;
    }
    if (c == '.') extension = i - 1;  // the last one met is the first of the component
  }
  DataFilePath result;
  if (extension == std::string_view::npos) {
    result.base_name = std::string(name.substr(directory_end));
    result.path = std::string(name) + ".dat";
  } else {
    result.base_name = std::string(name.substr(directory_end, extension - directory_end));
    result.path = std::string(name);
  }
  return result;
}

RecordAccess::RecordAccess(Env& env, const Session& session, RecordManager& manager, RecordUi& ui,
                           OpenFileTable& table)
    : env_(env), session_(session), manager_(manager), ui_(ui), table_(table) {}

int16_t RecordAccess::FindFileSlot(int16_t file_id) const {
  int16_t free_slot = 0;
  for (int16_t n = 1; n <= kMaxDataFiles; ++n) {
    if (table_.slots[n].file_id == file_id) return n;
    if (table_.slots[n].file_id == 0) free_slot = n;
  }
  return static_cast<int16_t>(-free_slot);
}

FileSlot* RecordAccess::SlotOf(int16_t file_id) {
  // 0 names the free slots, never a file.
  if (file_id == 0) return nullptr;
  const int16_t n = FindFileSlot(file_id);
  return n > 0 ? &table_.slots[n] : nullptr;
}

int16_t RecordAccess::Call(int16_t operation, PositionBlock& block, std::string* data,
                           uint32_t* data_length, std::string* key, size_t key_length,
                           int16_t key_number) {
  const int8_t number = static_cast<int8_t>(std::clamp<int16_t>(key_number, -128, 127));
  return manager_.RecordManagerCall(operation, block, *data, data_length, *key,
                                    static_cast<uint8_t>(std::min<size_t>(key_length, 255)),
                                    number);
}

bool RecordAccess::StatDefinition(int16_t file_id, rm::FileDefinition* layout) {
  FileSlot* slot = SlotOf(file_id);
  if (slot == nullptr) return false;
  std::string data(kDataBufferBytes, '\0');
  std::string key(255, '\0');
  uint32_t length = kDataBufferBytes;
  const int16_t status = Call(rm::kStat, slot->position_block, &data, &length, &key, 255, 0);
  if (status != rm::kOk && status != rm::kDataBufferTooShort) return false;
  return rm::ParseFileDefinition(std::string_view(data).substr(0, length), layout) == rm::kOk;
}

void RecordAccess::GetKeyInfo(int16_t file_id, int16_t key_number, int16_t* key_length,
                              int16_t* record_length) {
  *key_length = 0;
  *record_length = 0;
  rm::FileDefinition layout;
  if (!StatDefinition(file_id, &layout)) return;
  *record_length = static_cast<int16_t>(layout.record_length);
  if (key_number >= 0 && static_cast<size_t>(key_number) < layout.keys.size()) {
    *key_length = static_cast<int16_t>(layout.keys[key_number].Length());
  }
}

std::string RecordAccess::DictionaryEntry(std::string_view base_name) {
  // A missing or damaged entry (a length beyond the buffer or beyond the
  // file) gives no definition at all, never part of one: Create then
  // refuses the empty buffer and the access message names its status.
  std::string buffer(kDataBufferBytes, '\0');
  const std::string path = session_.RootDir() + "ddf\\" + std::string(base_name) + ".xdf";
  std::unique_ptr<File> file = env_.Open(path, OpenMode::kRead);
  if (file == nullptr) return buffer;
  std::string entry(2 + kDataBufferBytes, '\0');
  const int64_t got = file->ReadAt(0, entry.data(), entry.size());
  uint16_t length = 0;
  if (got < 2 || !ReadU16(entry, 0, &length) || length > kDataBufferBytes || got < 2 + length) {
    return buffer;
  }
  std::copy_n(entry.begin() + 2, length, buffer.begin());
  return buffer;
}

void RecordAccess::OpenDataFile(int16_t file_id, std::string_view name, std::span<char> record,
                                int16_t* status) {
  const int16_t found = FindFileSlot(file_id);
  if (found > 0) {
    *status = db::kFileIdAlreadyOpen;
    return;
  }
  if (found == 0) {
    *status = db::kNoFreeSlot;
    return;
  }
  FileSlot& slot = table_.slots[-found];
  slot = FileSlot{};
  slot.file_id = file_id;
  slot.record_buffer = record;

  const DataFilePath where = BuildDataFilePath(name);
  int16_t result;
  if (where.path.size() + 1 > kKeyBufferBytes) {
    result = rm::kInvalidFileName;  // the path and its zero byte must fit 256 bytes
  } else {
    for (;;) {
      std::string owner = OwnerName() + '\0';
      uint32_t owner_length = static_cast<uint32_t>(owner.size());
      std::string key = where.path + '\0';
      result =
          Call(rm::kOpen, slot.position_block, &owner, &owner_length, &key, where.path.size(), 0);
      if (result == rm::kFileLocked) {
        env_.SleepMillis(kLockedFileRetryMillis);
        continue;
      }
      if (result != rm::kFileNotFound) break;
      std::string definition = DictionaryEntry(where.base_name);
      uint32_t definition_length = kDataBufferBytes;
      std::string create_key = where.path + '\0';
      result = Call(rm::kCreate, table_.spare_block, &definition, &definition_length, &create_key,
                    where.path.size(), rm::kCreateNoReplace);
      if (result != rm::kOk) break;
    }
  }
  if (result == rm::kOk) {
    int16_t key_length, record_length;
    GetKeyInfo(file_id, 0, &key_length, &record_length);
    slot.key_value.assign(static_cast<size_t>(key_length), '\0');
    slot.record_length = record_length;
    *status = rm::kOk;
    return;
  }
  *status = result;
  StopOnAccessError(name, result);
}

void RecordAccess::StopOnAccessError(std::string_view name, int16_t status) {
  ui_.ShowMessage(12, AccessMessage(session_.LanguageCode(), name, status));
  ui_.Beep();
  ui_.DiscardTypeAhead();
  ui_.WaitForKey();
  ui_.PopWindow();
  ui_.CloseProgramFiles();
  int16_t reset_status;
  CloseAllDataFiles(&reset_status);
  ui_.EndProgram(0);
}

void RecordAccess::CloseAllDataFiles(int16_t* status) {
  table_.spare_block.fill(' ');
  std::string data(1, '\0');
  std::string key(1, '\0');
  uint32_t length = 0;
  *status = Call(rm::kReset, table_.spare_block, &data, &length, &key, 0, 0);
  if (*status == rm::kOk) {
    for (FileSlot& slot : table_.slots) slot = FileSlot{};
  }
}

}  // namespace zul
