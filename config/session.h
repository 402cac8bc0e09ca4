// The session: the environment a program of the suite runs in, read once at
// start-up from the environment variables and the session, terminal and
// user settings files, and read-only for the rest of the run.
//
//   RootDir      ZULROOT, unchanged (a prefix: the installation ends it with "\")
//   ExeDir       ZULEXE, unchanged
//   WorkDir      ZULTMP normalised; when empty, TerminalDir
//   TerminalDir  "Sessio.ini" [Terminal] Dir, else TERM; normalised
//   MenuTitle    " " + "Sessio.ini" [Menu] Titol + " "
//   MenuName     "Sessio.ini" [Menu] NomMenu
//   ChainMenu    "Sessio.ini" [Menu] ChnMenu
//   ScreenColours five colour slots (foreground, background) from "NuriTerm.ini" [Pantalla]
//   WorkingDate  "NuriTerm.ini" [Sistema] Data, packed (4 bytes) or empty
//   OutputDevice "NuriTerm.ini" [Sistema] Sortida
//   LanguageCode "NuriTerm.ini" [Sistema] Idioma, else "Nuri.ini" [Usuari] Idioma; 3 characters
//   HostMode     "CGI", "WIN" or "DOS" from the web and Windows variables
//
// "Sessio.ini" is read from the ZULTMP directory before its fallback is
// known; "NuriTerm.ini" from the final WorkDir.
#ifndef ZUL_CONFIG_SESSION_H_
#define ZUL_CONFIG_SESSION_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace zul {

// Slot i (0..4) holds {foreground, background}: 0 highlight, 1 normal,
// 2 reverse, 3 reverse normal, 4 underline.
using ColourTable = std::array<std::array<int16_t, 2>, 5>;

inline constexpr std::string_view kDefaultColourSet = "15000700000700070007";

struct SessionValues {
  std::string root_dir;
  std::string exe_dir;
  std::string work_dir;
  std::string terminal_dir;
  std::string menu_title;
  std::string menu_name;
  std::string chain_menu;
  ColourTable screen_colours{};
  std::string working_date;
  std::string output_device;
  std::string language_code = "   ";
  std::string host_mode = "DOS";
  std::string module_name;
};

class Session {
 public:
  Session() = default;
  explicit Session(SessionValues values) : values_(std::move(values)) {}

  const std::string& RootDir() const { return values_.root_dir; }
  const std::string& ExeDir() const { return values_.exe_dir; }
  const std::string& WorkDir() const { return values_.work_dir; }
  const std::string& TerminalDir() const { return values_.terminal_dir; }
  const std::string& MenuTitle() const { return values_.menu_title; }
  const std::string& MenuName() const { return values_.menu_name; }
  const std::string& ChainMenu() const { return values_.chain_menu; }
  const ColourTable& ScreenColours() const { return values_.screen_colours; }
  const std::string& WorkingDate() const { return values_.working_date; }
  const std::string& OutputDevice() const { return values_.output_device; }
  const std::string& LanguageCode() const { return values_.language_code; }
  const std::string& HostMode() const { return values_.host_mode; }

  // The module's name, base of its form and language files. Set once by the
  // main sequence, before the form definition is loaded.
  const std::string& ModuleName() const { return values_.module_name; }
  void SetModuleName(std::string name) { values_.module_name = std::move(name); }

 private:
  SessionValues values_;
};

// Appends "\" to a directory that does not already end in ":", "\" or "/";
// the empty text stays empty.
std::string NormaliseDirectory(std::string_view dir);

// Reads the session from the environment and the settings files.
Session StartSession(Env& env);

}  // namespace zul

#endif  // ZUL_CONFIG_SESSION_H_
