#include "platform/terminal_backend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>

namespace zul {
namespace {

// A pseudo-terminal: the backend gets the terminal side, the test reads
// what it sends and types on the other side.
class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(::grantpt(master_), 0);
    ASSERT_EQ(::unlockpt(master_), 0);
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave_, 0);
    SetSize(100, 30);
  }
  void TearDown() override {
    backend_.reset();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  void Open(const std::string& term) {
    std::string error;
    backend_ = TerminalBackend::OpenOn(slave_, term, &error);
    ASSERT_TRUE(backend_) << error;
    Sent();
  }
  void SetSize(int columns, int rows) {
    struct winsize size {};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    ::ioctl(slave_, TIOCSWINSZ, &size);
  }
  // Everything the backend has sent since the last call.
  std::string Sent() {
    std::string out;
    char buffer[65536];
    struct pollfd p = {master_, POLLIN, 0};
    while (::poll(&p, 1, 50) > 0) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      out.append(buffer, static_cast<size_t>(n));
    }
    return out;
  }
  void Type(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Polls for an event for up to a second.
  bool NextEvent(InputEvent* event) {
    for (int i = 0; i < 100; ++i) {
      if (backend_->PollInput(event)) return true;
      backend_->WaitForInput(10);
    }
    return false;
  }
  static bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  int master_ = -1;
  int slave_ = -1;
  std::unique_ptr<TerminalBackend> backend_;
};

ScreenFrame Blank() {
  ScreenFrame frame;
  frame.cursor_visible = false;
  return frame;
}

TEST_F(PtyTest, AFrameIsOneWriteOfUnicodeInTheTerminalsColours) {
  Open("xterm-256color");
  ScreenFrame frame = Blank();
  frame.At(1, 1) = ScreenCell{'A', 0x1E};   // yellow on blue
  frame.At(2, 5) = ScreenCell{0xC9, 0x4F};  // ╔, white on red
  frame.At(3, 1) = ScreenCell{0x85, 0x07};  // à
  frame.At(3, 2) = ScreenCell{0x10, 0x07};  // ►
  const int64_t writes = backend_->Writes();
  backend_->Present(frame, true);
  EXPECT_EQ(backend_->Writes(), writes + 1);
  const std::string sent = Sent();
  // PC yellow is ANSI bright yellow (11), PC blue ANSI blue (4), PC red ANSI red (1).
  EXPECT_TRUE(Has(sent,
                  "\x1B[93m\x1B[44m"
                  "A"))
      << ::testing::PrintToString(sent);
  EXPECT_TRUE(Has(sent, "\x1B[97m\x1B[41m\xE2\x95\x94")) << ::testing::PrintToString(sent);
  EXPECT_TRUE(Has(sent, "\xC3\xA0\xE2\x96\xBA"));
  EXPECT_TRUE(Has(sent, "\x1B[?25l"));  // the cursor is hidden
}

TEST_F(PtyTest, OnlyWhatChangedIsSent) {
  Open("xterm-256color");
  ScreenFrame frame = Blank();
  backend_->Present(frame, true);
  const std::string full = Sent();
  EXPECT_GT(full.size(), 2000u);
  frame.At(10, 40) = ScreenCell{'z', 0x07};
  backend_->Present(frame, false);
  const std::string change = Sent();
  EXPECT_EQ(change, "\x1B[10;40Hz") << ::testing::PrintToString(change);
  backend_->Present(frame, false);
  EXPECT_EQ(Sent(), "");
  frame.cursor_visible = true;
  frame.cursor_row = 5;
  frame.cursor_column = 7;
  backend_->Present(frame, false);
  EXPECT_EQ(Sent(), "\x1B[5;7H\x1B[?12l\x1B[?25h");
}

TEST_F(PtyTest, AnEightColourTerminalDrawsBrightColoursBold) {
  Open("screen");
  ScreenFrame frame = Blank();
  frame.At(1, 1) = ScreenCell{'B', 0x1E};
  backend_->Present(frame, true);
  const std::string sent = Sent();
  EXPECT_TRUE(Has(sent,
                  "\x1B[1m\x1B[33m\x1B[44m"
                  "B"))
      << ::testing::PrintToString(sent);
}

TEST_F(PtyTest, KeysArriveDecoded) {
  Open("xterm-256color");
  InputEvent event;
  Type("\x1B[1;5D");
  ASSERT_TRUE(NextEvent(&event));
  EXPECT_EQ(event, InputEvent::Key(0x4B00, kModCtrl));
  Type("\x1B");  // a lone Esc answers after the short delay
  ASSERT_TRUE(NextEvent(&event));
  EXPECT_EQ(event, InputEvent::Key(27));
  Type("\x03");  // Ctrl+C is a key, not an interrupt
  ASSERT_TRUE(NextEvent(&event));
  EXPECT_EQ(event, InputEvent::Key(3, kModCtrl));
  EXPECT_FALSE(backend_->PollInput(&event));
}

TEST_F(PtyTest, BeepClipboardAndMouseGoOutWithTheNextWait) {
  Open("xterm-256color");
  backend_->Beep();
  backend_->SetClipboard(
      "\x80"
      "a");  // Ça
  backend_->SetMouseReporting(true);
  EXPECT_EQ(Sent(), "");
  backend_->WaitForInput(0);
  const std::string sent = Sent();
  EXPECT_TRUE(Has(sent, "\a"));
  EXPECT_TRUE(Has(sent, "\x1B]52;c;w4dh\a")) << ::testing::PrintToString(sent);
  EXPECT_TRUE(Has(sent, "\x1B[?1002h\x1B[?1006h"));
  EXPECT_EQ(backend_->GetClipboard(),
            "\x80"
            "a");
  EXPECT_EQ(backend_->MouseButtons(), 2);
}

TEST_F(PtyTest, ASmallTerminalShowsANoticeAndKeepsTheScreenForLater) {
  SetSize(60, 20);
  Open("xterm-256color");
  ScreenFrame frame = Blank();
  frame.At(1, 1) = ScreenCell{'Q', 0x07};
  backend_->Present(frame, false);
  std::string sent = Sent();
  EXPECT_FALSE(Has(sent, "Q"));
  SetSize(80, 25);
  ::kill(::getpid(), SIGWINCH);
  InputEvent event;
  backend_->PollInput(&event);
  sent = Sent();
  EXPECT_TRUE(Has(sent, "Q")) << ::testing::PrintToString(sent);
}

TEST_F(PtyTest, TheTerminalIsGivenBackAndTakenAgain) {
  Open("xterm-256color");
  struct termios raw {};
  ::tcgetattr(slave_, &raw);
  EXPECT_FALSE(raw.c_lflag & ICANON);
  backend_->Suspend();
  std::string sent = Sent();
  EXPECT_TRUE(Has(sent, "\x1B[?1049l")) << ::testing::PrintToString(sent);  // the normal screen
  EXPECT_TRUE(Has(sent, "\x1B[?25h"));
  struct termios cooked {};
  ::tcgetattr(slave_, &cooked);
  EXPECT_TRUE(cooked.c_lflag & ICANON);
  backend_->Resume();
  sent = Sent();
  EXPECT_TRUE(Has(sent, "\x1B[?1049h")) << ::testing::PrintToString(sent);
  backend_.reset();
  sent = Sent();
  EXPECT_TRUE(Has(sent, "\x1B[?1006l\x1B[?1002l"));
  EXPECT_TRUE(Has(sent, "\x1B[?1049l"));
  ::tcgetattr(slave_, &cooked);
  EXPECT_TRUE(cooked.c_lflag & ICANON);
  EXPECT_TRUE(cooked.c_lflag & ECHO);
}

// Every way a program can end: a child process takes the terminal, then
// ends; the terminal must be back in its normal state.
class WayOutTest : public PtyTest, public ::testing::WithParamInterface<int> {};

TEST_P(WayOutTest, TheTerminalIsRestored) {
  const int way = GetParam();  // a signal, or 0 for exit()
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::string error;
    std::unique_ptr<TerminalBackend> backend =
        TerminalBackend::OpenOn(slave_, "xterm-256color", &error);
    if (!backend) ::_exit(99);
    backend->SetMouseReporting(true);
    backend->Present(ScreenFrame(), true);
    if (way == 0) std::exit(0);  // as the orderly stop after a data-file failure
    ::raise(way);
    ::_exit(98);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  if (way == 0) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  } else {
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) >= 98) << status;
  }
  const std::string sent = Sent();
  const size_t entered = sent.find("\x1B[?1049h");
  const size_t left = sent.rfind("\x1B[?1049l");
  ASSERT_NE(entered, std::string::npos);
  ASSERT_NE(left, std::string::npos);
  EXPECT_GT(left, entered);
  EXPECT_TRUE(Has(sent.substr(entered), "\x1B[?1006l\x1B[?1002l"));  // mouse reporting off
  EXPECT_TRUE(Has(sent.substr(entered), "\x1B[?25h"));               // cursor shown
  struct termios mode {};
  ::tcgetattr(slave_, &mode);
  EXPECT_TRUE(mode.c_lflag & ICANON);
  EXPECT_TRUE(mode.c_lflag & ECHO);
  EXPECT_TRUE(mode.c_lflag & ISIG);
}

INSTANTIATE_TEST_SUITE_P(Ways, WayOutTest,
                         ::testing::Values(0, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGABRT),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("Exit")
                                                  : "Signal" + std::to_string(info.param);
                         });

TEST(TerminalBackendTest, NoTerminalIsAClearError) {
  std::string error;
  const int fd = ::open("/dev/null", O_RDWR);
  EXPECT_EQ(TerminalBackend::OpenOn(fd, "xterm", &error), nullptr);
  EXPECT_EQ(error, "not a terminal");
  ::close(fd);
}

}  // namespace
}  // namespace zul
