// The record layer's messages as the user sees them on the console.
#include "app/console_record_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "console/key_codes.h"
#include "db/record_access.h"
#include "platform/record_manager/record_manager.h"
#include "tests/support/console_harness.h"

namespace zul {
namespace {

using testing::ConsoleHarness;

TEST(ConsoleRecordUiTest, AFileThatCannotBeOpenedStopsWithTheAccessMessage) {
  ConsoleHarness h([](SessionValues& v) { v.language_code = "SPA"; });
  RecordManager manager(h.env);
  OpenFileTable table;
  std::vector<std::string> events;
  ConsoleRecordUi record_ui(
      h.ui, [&] { events.push_back("close files"); },
      [&](int code) { events.push_back("end " + std::to_string(code)); });
  RecordAccess access(h.env, h.session, manager, record_ui, table);

  std::string shown;
  h.input.Key('x');  // typed ahead: must not answer the message
  h.input.Pause(500);
  h.input.Then([&] { shown = h.Screen(); });
  h.input.Key(kKeyEnter);

  std::string record(160, ' ');
  int16_t status = 0;
  access.OpenDataFile(511, "DADES\\FinquesH", record, &status);

  // A one-line message for row 12: a single-line box over rows 9 to 11.
  const std::string text = "NO SE PUEDE ACCEDER AL FICHERO DADES\\FinquesH (";
  EXPECT_NE(shown.find(text), std::string::npos) << shown;
  EXPECT_NE(shown.find("┌"), std::string::npos) << shown;
  const size_t line = shown.find(text);
  EXPECT_EQ(std::count(shown.begin(), shown.begin() + line, '\n'), 9) << "text on row 10";
  EXPECT_EQ(h.input.Beeps(), 1);
  EXPECT_FALSE(h.input.Overrun()) << "the message must wait for Enter, not for the typed-ahead key";
  EXPECT_TRUE(h.input.ScriptDone());
  EXPECT_EQ(events, (std::vector<std::string>{"close files", "end 0"}));
  EXPECT_EQ(h.Screen().find(text), std::string::npos) << "the box is removed before the end";
}

}  // namespace
}  // namespace zul
