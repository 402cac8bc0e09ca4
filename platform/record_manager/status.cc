#include "platform/record_manager/status.h"

namespace zul::rm {

const char* StatusText(int16_t status) {
  switch (status) {
    case kOk:
      return "success";
    case kInvalidOperation:
      return "unknown operation";
    case kIoError:
      return "the file cannot be read or written, or is damaged";
    case kFileNotOpen:
      return "the file is not open";
    case kKeyNotFound:
      return "no record has that key value";
    case kDuplicateKey:
      return "a record with that key value exists and the key allows no duplicates";
    case kInvalidKeyNumber:
      return "the file has no key of that number";
    case kNoCurrentRecord:
      return "there is no current record";
    case kEndOfFile:
      return "no more records in that direction";
    case kKeyNotModifiable:
      return "the change alters a key that may not change";
    case kInvalidFileName:
      return "the file name is empty or unusable";
    case kFileNotFound:
      return "the file does not exist";
    case kDiskFull:
      return "the disk is full";
    case kKeyBufferTooShort:
      return "the key buffer is shorter than the key";
    case kDataBufferTooShort:
      return "the record was cut to the data buffer";
    case kInvalidDefinition:
      return "the file definition is not valid";
    case kInvalidRecordLength:
      return "the data length is not the record length";
    case kNotADataFile:
      return "the file is not a data file";
    case kTransactionActive:
      return "a transaction is already open";
    case kNoTransaction:
      return "no transaction is open";
    case kInvalidPosition:
      return "no record at that position";
    case kFileFull:
      return "the file has used every record position";
    case kFileExists:
      return "the file already exists";
    case kLengthBeyondBuffer:
      return "a length exceeds its buffer";
    case kRecordLocked:
      return "the record is locked by another program";
    case kFileLocked:
      return "the file is locked by another program";
    default:
      return "unknown status";
  }
}

}  // namespace zul::rm
