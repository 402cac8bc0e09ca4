#include "app/main_sequence.h"

#include "config/settings.h"

namespace zul {

int RunMainSequence(Env& env, Console& console, Session* session) {
  console.ShowCursor(false);
  *session = StartSession(env);

  // Every relative path of the suite resolves against the installation root.
  // A root that cannot be entered leaves the inherited directory.
  if (!session->RootDir().empty()) env.ChangeDirectory(session->RootDir());

  session->SetModuleName(kModuleName);

  // The menu program reads the menu to return to under "NomMenu". A failed
  // write is not the user's concern here: the settings writer leaves the file
  // as it was.
  WriteSetting(env, session->WorkDir() + "Sessio.ini", "Menu", "NomMenu", session->ChainMenu());

  return 0;
}

}  // namespace zul
