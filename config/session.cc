#include "config/session.h"

#include <cmath>
#include <limits>

#include "config/settings.h"
#include "core/packed_digits.h"
#include "core/text.h"

namespace zul {
namespace {

// A setting's numeric value rounded to the nearest integer (ties to even)
// and taken as a signed 16-bit number.
int16_t RoundedInt16(std::string_view text) {
  double value = std::nearbyint(LeadingNumber(text));
  if (!std::isfinite(value) || std::fabs(value) > 1e15) return 0;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(value) & 0xFFFF));
}

ColourTable ReadColours(Env& env, const std::string& terminal_file) {
  const int16_t set = RoundedInt16(ReadSetting(env, terminal_file, "Pantalla", "Seleccio"));
  std::string colours = ReadSetting(env, terminal_file, "Pantalla", "Col" + std::to_string(set));
  if (colours.empty()) colours = kDefaultColourSet;
  ColourTable table{};
  for (size_t i = 0; i < table.size(); ++i) {
    for (size_t j = 0; j < 2; ++j) {
      const size_t at = 4 * i + 2 * j;
      const std::string_view pair =
          at < colours.size() ? std::string_view(colours).substr(at, 2) : "";
      table[i][j] = static_cast<int16_t>(LeadingNumber(pair));
    }
  }
  return table;
}

}  // namespace

std::string NormaliseDirectory(std::string_view dir) {
  std::string out(dir);
  if (!out.empty() && out.back() != ':' && out.back() != '\\' && out.back() != '/') out += '\\';
  return out;
}

Session StartSession(Env& env) {
  SessionValues v;
  v.root_dir = env.GetEnv("ZULROOT");
  v.exe_dir = env.GetEnv("ZULEXE");
  v.work_dir = NormaliseDirectory(env.GetEnv("ZULTMP"));

  const std::string session_file = v.work_dir + "Sessio.ini";
  v.menu_title = " " + ReadSetting(env, session_file, "Menu", "Titol") + " ";
  v.menu_name = ReadSetting(env, session_file, "Menu", "NomMenu");
  v.chain_menu = ReadSetting(env, session_file, "Menu", "ChnMenu");

  std::string terminal = ReadSetting(env, session_file, "Terminal", "Dir");
  if (terminal.empty()) terminal = env.GetEnv("TERM");
  v.terminal_dir = NormaliseDirectory(terminal);
  if (v.work_dir.empty()) v.work_dir = v.terminal_dir;

  const std::string terminal_file = v.work_dir + "NuriTerm.ini";
  v.screen_colours = ReadColours(env, terminal_file);
  v.working_date = PackDigits(ReadSetting(env, terminal_file, "Sistema", "Data"));
  v.output_device = ReadSetting(env, terminal_file, "Sistema", "Sortida");
  v.language_code = FitText(ReadSetting(env, terminal_file, "Sistema", "Idioma"), 3);
  if (TrimRight(v.language_code).empty()) {
    v.language_code = FitText(ReadSetting(env, v.root_dir + "Nuri.ini", "Usuari", "Idioma"), 3);
  }

  if (!env.GetEnv("HTTP_USER_AGENT").empty() || !env.GetEnv("HTTP_ACCEPT").empty()) {
    v.host_mode = "CGI";
  } else if (!env.GetEnv("WINDIR").empty() || !env.GetEnv("SYSTEMROOT").empty()) {
    v.host_mode = "WIN";
  } else {
    v.host_mode = "DOS";
  }
  return Session(std::move(v));
}

}  // namespace zul
