// RecordUi: what the record layer needs of the user interface.
//
// The record layer shows two messages (a data file that cannot be opened,
// a record or file locked elsewhere) and, for the first, stops the program
// in order. It declares here the few console services it uses; the program
// wires them to the console, tests to a recorder.
#ifndef ZUL_DB_RECORD_UI_H_
#define ZUL_DB_RECORD_UI_H_

#include <cstdint>
#include <string>

namespace zul {

class RecordUi {
 public:
  virtual ~RecordUi() = default;

  // Shows `text` (code page 850) in a message box placed by screen `row`;
  // the box stays until PopWindow.
  virtual void ShowMessage(int16_t row, const std::string& text) = 0;
  virtual void PopWindow() = 0;
  virtual void Beep() = 0;
  // Discards every key already typed.
  virtual void DiscardTypeAhead() = 0;
  // Waits until one key is pressed and gives its key code.
  virtual int16_t WaitForKey() = 0;
  // Closes every file the program opened itself (not the data files).
  virtual void CloseProgramFiles() = 0;
  // Ends the process with `exit_code`. In a program it does not return.
  virtual void EndProgram(int exit_code) = 0;
};

}  // namespace zul

#endif  // ZUL_DB_RECORD_UI_H_
