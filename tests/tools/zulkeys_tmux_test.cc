// zulkeys on a real terminal: tmux runs it in a detached session, send-keys
// types, capture-pane reads the screen. Every wait is a bounded poll, so the
// tests hold on a loaded machine and under the sanitizers.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr auto kPatience = std::chrono::seconds(30);

// Runs a shell command and gives its standard output.
std::string Shell(const std::string& command, int* status = nullptr) {
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int rc = ::pclose(pipe);
  if (status) *status = rc;
  return out;
}

// Polls `done` every 50 ms until it holds or the patience runs out.
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

// One private tmux server with one 100 x 30 pane running `command`.
class Tmux {
 public:
  Tmux(const TempDir& dir, const std::string& term, const std::string& command)
      : socket_(dir.Path("tmux.sock")) {
    const std::string conf = dir.Path("tmux.conf");
    WriteFileBytes(conf, "set -g default-terminal \"" + term + "\"\nset -g escape-time 0\n");
    int status = 0;
    Shell(Tmux_() + " -f '" + conf + "' new-session -d -x 100 -y 30 \"" + command + "\" 2>&1",
          &status);
    started_ = status == 0;
  }
  ~Tmux() { Shell(Tmux_() + " kill-server 2>/dev/null"); }

  bool started() const { return started_; }
  std::string Capture() { return Shell(Tmux_() + " capture-pane -p -t 0 2>/dev/null"); }
  void SendKeys(const std::string& args) { Shell(Tmux_() + " send-keys -t 0 " + args); }
  std::string Format(const std::string& format) {
    std::string out = Shell(Tmux_() + " display-message -p -t 0 '" + format + "'");
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  void Resize(int columns, int rows) {
    Shell(Tmux_() + " resize-window -t 0 -x " + std::to_string(columns) + " -y " +
          std::to_string(rows));
  }

 private:
  std::string Tmux_() const { return "env -u TMUX LC_ALL=C.UTF-8 tmux -u -S '" + socket_ + "'"; }
  std::string socket_;
  bool started_ = false;
};

class ZulkeysTmuxTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    // scripts/deps installs tmux: its absence is a broken setup, not a pass.
    ASSERT_FALSE(Shell("command -v tmux").empty()) << "tmux is not installed";
    log_ = dir_.Path("keys.log");
    // The pane's shell notes the line settings before and after zulkeys;
    // "after" appears complete, by a rename.
    const std::string script = "cd '" + dir_.path() + "' || exit 1\n" + "stty -g > before\n'" +
                               std::string(ZUL_ZULKEYS) +
                               "' --log keys.log\necho exit=$? > exit\n"
                               "stty -g > after.tmp\nmv after.tmp after\n"
                               "echo ZULKEYS-ENDED\nsleep 600\n";
    WriteFileBytes(dir_.Path("run.sh"), script);
    tmux_ = std::make_unique<Tmux>(dir_, GetParam(), "sh '" + dir_.Path("run.sh") + "'");
    ASSERT_TRUE(tmux_->started());
    ASSERT_TRUE(WaitFor([&] {
      return tmux_->Capture().find("Esc twice ends") != std::string::npos;
    })) << tmux_->Capture();
  }

  // The codes logged so far, one line each.
  std::string Logged() { return ReadFileBytes(log_); }
  bool Ended() { return testing::FileExists(dir_.Path("after")); }

  TempDir dir_;
  std::string log_;
  std::unique_ptr<Tmux> tmux_;
};

TEST_P(ZulkeysTmuxTest, KeysAndAClickArriveAsTheSystemsCodes) {
  tmux_->SendKeys("F1 C-Left M-x BTab Home NPage");
  tmux_->SendKeys("-l '\xC3\xA9'");  // é
  // A click of button 1 at column 12, row 5 (SGR mouse report).
  tmux_->SendKeys("-H 1b 5b 3c 30 3b 31 32 3b 35 4d 1b 5b 3c 30 3b 31 32 3b 35 6d");
  const std::string expected = "3b00\n7300\n2d00\n0f00\n4700\n5100\n0082\n-1205\nrelease\n";
  EXPECT_TRUE(WaitFor([&] { return Logged() == expected; })) << Logged();
  // The codes are on the screen too.
  const std::string screen = tmux_->Capture();
  EXPECT_NE(screen.find("7300           key, console 4b00, modifiers 8"), std::string::npos)
      << screen;
  EXPECT_NE(screen.find("character \xC3\xA9"), std::string::npos) << screen;

  tmux_->SendKeys("Escape");
  tmux_->SendKeys("Escape");
  ASSERT_TRUE(WaitFor([&] { return Ended(); }));
  EXPECT_EQ(ReadFileBytes(dir_.Path("exit")), "exit=0\n");
  EXPECT_EQ(ReadFileBytes(dir_.Path("after")), ReadFileBytes(dir_.Path("before")));
}

TEST_P(ZulkeysTmuxTest, TheFrameAndTheAccentedLettersShow) {
  const std::string screen = tmux_->Capture();
  EXPECT_NE(screen.find("\xE2\x95\x94\xE2\x95\x90\xE2\x95\x90"), std::string::npos)
      << screen;                                                        // ╔══
  EXPECT_NE(screen.find("\xE2\x95\x9D"), std::string::npos) << screen;  // ╝
  EXPECT_NE(screen.find("\xE2\x94\x8C\xE2\x94\x80\xE2\x94\xAC"), std::string::npos)
      << screen;  // ┌─┬
  // àáèé ÀÁÈÉ and ◄ ►
  EXPECT_NE(screen.find("\xC3\xA0\xC3\xA1\xC3\xA8\xC3\xA9"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\xC3\x80\xC3\x81\xC3\x88\xC3\x89"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\xE2\x97\x84 \xE2\x96\xBA"), std::string::npos) << screen;
  EXPECT_EQ(tmux_->Format("#{cursor_flag}"), "0");
  EXPECT_EQ(tmux_->Format("#{alternate_on}"), "1");
}

TEST_P(ZulkeysTmuxTest, ASmallTerminalShowsANoticeAndTheScreenComesBack) {
  tmux_->Resize(60, 20);
  EXPECT_TRUE(WaitFor([&] {
    return tmux_->Capture().find("Enlarge the terminal to 80 x 25") != std::string::npos;
  })) << tmux_->Capture();
  tmux_->SendKeys("F2");  // input goes on while the screen cannot be shown
  tmux_->Resize(90, 26);
  EXPECT_TRUE(WaitFor([&] {
    const std::string screen = tmux_->Capture();
    return screen.find("3c00") != std::string::npos &&
           screen.find("\xE2\x95\x94") != std::string::npos;
  })) << tmux_->Capture();
}

TEST_P(ZulkeysTmuxTest, TheTerminalIsUsableAgainAfterSigterm) {
  const std::string pane_pid = tmux_->Format("#{pane_pid}");
  ASSERT_FALSE(pane_pid.empty());
  // zulkeys is the pane's child or, when the shell does not exec, grandchild.
  std::string child = Shell("pgrep -x zulkeys -P " + pane_pid);
  if (child.empty()) child = Shell("pgrep -x zulkeys -P \"$(pgrep -d, -P " + pane_pid + ")\"");
  ASSERT_FALSE(child.empty());
  const pid_t pid = static_cast<pid_t>(std::stol(child));
  tmux_->SendKeys("-H 1b 5b 3c 30 3b 31 32 3b 35 4d");  // mouse reporting is on
  ASSERT_TRUE(WaitFor([&] { return Logged() == "-1205\n"; })) << Logged();
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  ASSERT_TRUE(WaitFor([&] { return Ended(); }));
  EXPECT_EQ(ReadFileBytes(dir_.Path("exit")), "exit=143\n");  // ended by the signal
  EXPECT_EQ(ReadFileBytes(dir_.Path("after")), ReadFileBytes(dir_.Path("before")));
  EXPECT_TRUE(WaitFor([&] { return tmux_->Capture().find("ZULKEYS-ENDED") != std::string::npos; }));
  EXPECT_EQ(tmux_->Format("#{alternate_on}"), "0");
  EXPECT_EQ(tmux_->Format("#{cursor_flag}"), "1");
  EXPECT_EQ(tmux_->Format("#{mouse_any_flag}"), "0");
}

INSTANTIATE_TEST_SUITE_P(Terminals, ZulkeysTmuxTest, ::testing::Values("xterm-256color", "screen"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param == "screen" ? std::string("Screen")
                                                         : std::string("Xterm256");
                         });

}  // namespace
}  // namespace zul
