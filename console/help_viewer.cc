#include "console/help_viewer.h"

#include <memory>
#include <vector>

#include "console/key_codes.h"
#include "console/message_window.h"
#include "core/text.h"

namespace zul {

namespace {

std::string TopicFile(std::string_view topic, std::string_view extension) {
  return "AJUDA\\" + std::string(TrimRight(topic)) + std::string(extension);
}

class HelpViewer {
 public:
  HelpViewer(ConsoleUi& ui, std::string_view topic) : ui_(ui), topic_(TrimRight(topic)) {}

  void Run() {
    Console& console = ui_.console();
    const int16_t columns = ui_.windows().ScreenColumns();
    const int16_t rows = ui_.windows().ScreenRows();
    // A missing file is created empty, as the suite's other programs expect.
    file_ = ui_.env().Open(TopicFile(topic_, ".HLP"), OpenMode::kReadWrite);
    if (!file_) file_ = ui_.env().Open(TopicFile(topic_, ".HLP"), OpenMode::kRead);
    const int64_t size = file_ ? file_->Size() : 0;
    lines_ = size > 0 ? static_cast<int32_t>(size / columns) : 0;
    shown_ = static_cast<int16_t>(rows - 8);
    // The window's inside, in ScrollRegion's terms.
    inner_ = {4, 1, static_cast<int16_t>(rows - 5), static_cast<int16_t>(columns - 2)};

    ui_.SetTextStyle("+h");
    ui_.PushWindow(4, 1, static_cast<int16_t>(rows - 3), columns);
    ui_.DrawFrame(2);
    ui_.SetTextStyle("n");
    DrawLines(1, shown_);
    int32_t n = shown_ + 1;  // the line that would come next below the window
    const int32_t v = shown_;
    for (;;) {
      const int16_t key = WaitForKey(console);
      if (key == kKeyEsc) break;
      if (key == kKeyF1) {
        if (!EqualsNoCase(topic_, kMenuHelpTopic)) ShowHelp(ui_, kMenuHelpTopic);
      } else if (key == kKeyDown) {
        if (n <= lines_) {
          Scroll(1);
          DrawLine(n, v);
          ++n;
        }
      } else if (key == kKeyUp) {
        if (n - v > 1) {
          --n;
          Scroll(-1);
          DrawLine(n - v, 1);
        }
      } else if (key == kKeyPgDn) {
        if (n <= lines_) {
          Scroll(v);
          if (lines_ < n + v - 1) n = lines_ - v + 1;
          DrawLines(n, n + v - 1);
          n += v;
        }
      } else if (key == kKeyPgUp) {
        if (n - v > 1) {
          Scroll(v);
          if (n - 2 * v < 1) n = 2 * v;
          DrawLines(n - 2 * v + 1, n - v);
          n = n - v + 1;
        }
      } else if (key == kKeyHome) {
        if (n - v > 1) {
          Scroll(v);
          DrawLines(1, v);
          n = v + 1;
        }
      } else if (key == kKeyEnd) {
        if (n <= lines_) {
          Scroll(v);
          n = lines_ - v + 1;
          DrawLines(n, lines_);
          n = lines_ + 1;
        }
      }
    }
    file_.reset();
    ui_.PopWindow();
    ui_.SetTextStyle("-");
  }

 private:
  // Lines first..last on window rows 1, 2, ...
  void DrawLines(int32_t first, int32_t last) {
    for (int32_t line = first; line <= last; ++line)
      DrawLine(line, static_cast<int16_t>(line - first + 1));
  }
  void DrawLine(int32_t line, int32_t row) {
    DrawHelpLine(ui_, file_.get(), line, static_cast<int16_t>(row));
  }
  void Scroll(int32_t n) {
    ScrollRegion(ui_.console(), inner_.top, inner_.left, inner_.bottom, inner_.right,
                 static_cast<int16_t>(n));
  }

  ConsoleUi& ui_;
  std::string topic_;
  std::unique_ptr<File> file_;
  int32_t lines_ = 0;
  int16_t shown_ = 0;
  WindowRect inner_;
};

}  // namespace

void ShowHelp(ConsoleUi& ui, std::string_view topic) {
  if (ui.session().HostMode() == "WIN") {
    // The topic travels as one argument: no shell ever sees it.
    const std::vector<std::string> argv = {ui.env().GetEnv("COMSPEC"), "/C", "PAKOTI",
                                           TopicFile(topic, ".HTM")};
    ui.console().RunCommand(argv);
    return;
  }
  HelpViewer(ui, topic).Run();
}

void DrawHelpLine(ConsoleUi& ui, File* file, int32_t record, int16_t row) {
  ui.SetTextStyle("n");
  ui.WindowLocate(row, 2);
  const size_t width = static_cast<size_t>(ui.windows().ScreenColumns());
  if (!file || record < 1) return;
  std::string bytes(width, '\0');
  if (file->ReadAt(static_cast<int64_t>(record - 1) * static_cast<int64_t>(width), bytes.data(),
                   width) != static_cast<int64_t>(width)) {
    return;
  }
  Console& console = ui.console();
  if (bytes.find_first_of("\x1E\x1F\x10") == std::string::npos) {
    console.Write(std::string_view(bytes).substr(0, kHelpShownCharacters));
    return;
  }
  bool highlight = false, underline = false, reverse = false;
  size_t characters = 0;
  for (char c : bytes) {
    const uint8_t b = static_cast<uint8_t>(c);
    if (b == kHelpHighlight) {
      highlight = !highlight;
      if (!underline) ui.SetTextStyle(highlight ? "h" : "n");
    } else if (b == kHelpUnderline) {
      underline = !underline;
      ui.SetTextStyle(underline ? "u" : "n");
    } else if (b == kHelpReverse) {
      reverse = !reverse;
      ui.SetTextStyle(reverse ? "r" : "n");
    } else if (characters++ < kHelpShownCharacters) {
      console.Write(std::string_view(&c, 1));
    }
  }
}

}  // namespace zul
