#include "platform/terminal_backend.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/cp850.h"
#include "platform/terminfo.h"

namespace zul {

namespace {

constexpr int kEscDelayMillis = 30;
constexpr char kMouseOn[] = "\x1B[?1002h\x1B[?1006h";
constexpr char kMouseOff[] = "\x1B[?1006l\x1B[?1002l";

// The PC colour order (black, blue, green, cyan, red, magenta, brown, grey)
// in the ANSI order of terminals (black, red, green, yellow, blue, ...).
constexpr int kPcToAnsi[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// The restoration a signal handler performs. Signal handlers can reach only
// process-wide data, so this is the one mutable global of the backend; it
// holds a copy of everything needed, written before it is armed.
struct RestoreState {
  int fd = -1;
  struct termios saved {};
  char sequence[512] = {};
  size_t length = 0;
  volatile sig_atomic_t armed = 0;
};
RestoreState g_restore;
volatile sig_atomic_t g_resized = 0;
// While a child process has the terminal, Ctrl+C and Ctrl+\ are its own: the
// program waiting for it does not stop.
volatile sig_atomic_t g_child_running = 0;
bool g_atexit_registered = false;

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV,
                                 SIGBUS, SIGFPE,  SIGILL, SIGABRT};
struct sigaction g_previous[sizeof kFatalSignals / sizeof kFatalSignals[0]];
struct sigaction g_previous_winch;

// Async-signal-safe: write() and tcsetattr() only.
void RestoreTerminal() {
  if (!g_restore.armed) return;
  g_restore.armed = 0;
  size_t done = 0;
  while (done < g_restore.length) {
    const ssize_t n = ::write(g_restore.fd, g_restore.sequence + done, g_restore.length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::tcsetattr(g_restore.fd, TCSADRAIN, &g_restore.saved);
}

void OnFatalSignal(int sig) {
  if ((sig == SIGINT || sig == SIGQUIT) && g_child_running) return;
  const int saved_errno = errno;
  RestoreTerminal();
  // Give the signal its previous disposition and deliver it again: it is
  // blocked while this handler runs and arrives when it returns.
  for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i) {
    if (kFatalSignals[i] == sig) ::sigaction(sig, &g_previous[i], nullptr);
  }
  ::raise(sig);
  errno = saved_errno;
}

void OnResize(int) { g_resized = 1; }

void OnExit() { RestoreTerminal(); }

void InstallHandlers() {
  struct sigaction action {};
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i) {
    ::sigaction(kFatalSignals[i], &action, &g_previous[i]);
  }
  struct sigaction winch {};
  winch.sa_handler = OnResize;
  sigemptyset(&winch.sa_mask);
  ::sigaction(SIGWINCH, &winch, &g_previous_winch);
  if (!g_atexit_registered) {
    std::atexit(OnExit);
    g_atexit_registered = true;
  }
}

void RemoveHandlers() {
  for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i) {
    ::sigaction(kFatalSignals[i], &g_previous[i], nullptr);
  }
  ::sigaction(SIGWINCH, &g_previous_winch, nullptr);
}

std::string Base64(std::string_view data) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    const uint32_t v = static_cast<uint8_t>(data[i]) << 16 |
                       static_cast<uint8_t>(data[i + 1]) << 8 | static_cast<uint8_t>(data[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 63];
  }
  if (i < data.size()) {
    uint32_t v = static_cast<uint8_t>(data[i]) << 16;
    if (i + 1 < data.size()) v |= static_cast<uint8_t>(data[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < data.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

std::unique_ptr<TerminalBackend> TerminalBackend::Open(std::string* error) {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *error = std::string("cannot open the terminal /dev/tty: ") + std::strerror(errno);
    return nullptr;
  }
  const char* term = std::getenv("TERM");
  std::unique_ptr<TerminalBackend> backend(new TerminalBackend(fd, true));
  if (!backend->Init(term ? term : "", error)) return nullptr;
  return backend;
}

std::unique_ptr<TerminalBackend> TerminalBackend::OpenOn(int fd, const std::string& term,
                                                         std::string* error) {
  std::unique_ptr<TerminalBackend> backend(new TerminalBackend(fd, false));
  if (!backend->Init(term, error)) return nullptr;
  return backend;
}

TerminalBackend::TerminalBackend(int fd, bool own_fd) : fd_(fd), own_fd_(own_fd) {}

TerminalBackend::~TerminalBackend() {
  Leave();
  if (handlers_installed_) RemoveHandlers();
  if (own_fd_) ::close(fd_);
}

std::string TerminalBackend::Cap(const char* name, const char* fallback) {
  std::string value = terminfo::String(name);
  return value.empty() ? fallback : value;
}

std::string TerminalBackend::CursorAddress(int row, int column) {
  if (have_terminfo_ && !cup_.empty()) return terminfo::Expand(cup_, row, column);
  char text[32];
  std::snprintf(text, sizeof text, "\x1B[%d;%dH", row + 1, column + 1);
  return text;
}

void TerminalBackend::LoadCapabilities(const std::string& type) {
  cup_ = terminfo::String("cup");
  sgr0_ = Cap("sgr0", "\x1B[m");
  bold_ = Cap("bold", "\x1B[1m");
  civis_ = Cap("civis", "\x1B[?25l");
  cnorm_ = Cap("cnorm", "\x1B[?25h");
  clear_ = Cap("clear", "\x1B[H\x1B[2J");
  bel_ = Cap("bel", "\a");
  const std::string smcup = terminfo::String("smcup");
  const std::string rmcup = terminfo::String("rmcup");
  enter_ = smcup;
  leave_ = std::string(kMouseOff) + sgr0_ + cnorm_ + rmcup;

  const int colours = have_terminfo_ ? terminfo::Number("colors") : 16;
  const std::string setaf = terminfo::String("setaf");
  const std::string setab = terminfo::String("setab");
  auto colour = [&](const std::string& cap, int base, int n) {
    if (!cap.empty()) return terminfo::Expand(cap, n);
    char text[16];
    std::snprintf(text, sizeof text, "\x1B[%dm", n < 8 ? base + n : base + 60 + n - 8);
    return std::string(text);
  };
  for (int a = 0; a < 256; ++a) {
    const int fg = a & 15, bg = a >> 4;
    const int ansi_fg = kPcToAnsi[fg & 7] + (fg & 8);
    const int ansi_bg = kPcToAnsi[bg & 7] + (bg & 8);
    std::string seq = sgr0_;
    if (colours >= 16) {
      seq += colour(setaf, 30, ansi_fg) + colour(setab, 40, ansi_bg);
    } else {
      if (fg & 8) seq += bold_;
      seq += colour(setaf, 30, ansi_fg & 7) + colour(setab, 40, ansi_bg & 7);
    }
    attr_seq_[a] = seq;
    glyph_[a].clear();
    AppendUtf8(a == 0 ? U' ' : Cp850GlyphToUnicode(static_cast<uint8_t>(a)), &glyph_[a]);
  }

  // The keys of the terminal's description, before the built-in forms.
  static constexpr struct {
    const char* name;
    uint16_t key;
  } kKeys[] = {
      {"kf1", 0x3B00},   {"kf2", 0x3C00},   {"kf3", 0x3D00},   {"kf4", 0x3E00},  {"kf5", 0x3F00},
      {"kf6", 0x4000},   {"kf7", 0x4100},   {"kf8", 0x4200},   {"kf9", 0x4300},  {"kf10", 0x4400},
      {"kf11", 0x8500},  {"kf12", 0x8600},  {"khome", 0x4700}, {"kend", 0x4F00}, {"kpp", 0x4900},
      {"knp", 0x5100},   {"kich1", 0x5200}, {"kdch1", 0x5300}, {"kcbt", 0x0F00}, {"kcuu1", 0x4800},
      {"kcud1", 0x5000}, {"kcub1", 0x4B00}, {"kcuf1", 0x4D00}, {"kb2", 0x4C00},
  };
  for (const auto& k : kKeys) {
    const std::string sequence = terminfo::String(k.name);
    // Only escape sequences: a one-byte key must stay what it is.
    if (sequence.size() > 1 && sequence[0] == '\x1B') decoder_.AddSequence(sequence, k.key);
  }
  const bool xterm_like =
      type.find("xterm") != std::string::npos || type.find("screen") != std::string::npos ||
      type.find("tmux") != std::string::npos || type.find("rxvt") != std::string::npos;
  mouse_buttons_ = (!terminfo::String("kmous").empty() || xterm_like) ? 2 : 0;
}

bool TerminalBackend::Init(const std::string& term, std::string* error) {
  if (!::isatty(fd_)) {
    *error = "not a terminal";
    if (own_fd_) ::close(fd_);
    own_fd_ = false;
    return false;
  }
  if (::tcgetattr(fd_, &saved_) != 0) {
    *error = std::string("cannot read the terminal's settings: ") + std::strerror(errno);
    return false;
  }
  have_terminfo_ = !term.empty() && terminfo::Load(term, fd_);
  LoadCapabilities(term);
  UpdateSize();
  InstallHandlers();
  handlers_installed_ = true;
  Enter();
  return true;
}

void TerminalBackend::Enter() {
  // Arm the restoration before the terminal is changed.
  g_restore.fd = fd_;
  g_restore.saved = saved_;
  const size_t n = std::min(leave_.size(), sizeof g_restore.sequence);
  std::memcpy(g_restore.sequence, leave_.data(), n);
  g_restore.length = n;
  g_restore.armed = 1;

  struct termios raw = saved_;
  raw.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | IEXTEN);
  // Ctrl+C, Ctrl+Z and Ctrl+Y are keys of the system (copy, ...): only
  // Ctrl+\ still stops the program, which restores the terminal.
  raw.c_cc[VINTR] = _POSIX_VDISABLE;
  raw.c_cc[VSUSP] = _POSIX_VDISABLE;
  raw.c_cflag |= CS8;
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  ::tcsetattr(fd_, TCSADRAIN, &raw);

  out_ += enter_;
  out_ += sgr0_ + clear_;
  if (mouse_on_) out_ += kMouseOn;
  shown_valid_ = false;
  attr_ = -1;
  cursor_row_ = cursor_column_ = -1;
  cursor_visible_ = -1;
  entered_ = true;
  SendPending();
}

void TerminalBackend::Leave() {
  if (!entered_) return;
  entered_ = false;
  SendPending();
  RestoreTerminal();
}

bool TerminalBackend::UpdateSize() {
  struct winsize size {};
  int rows = kScreenRows, cols = kScreenColumns;
  if (::ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    rows = size.ws_row;
    cols = size.ws_col;
  }
  const bool changed = rows != term_rows_ || cols != term_columns_;
  term_rows_ = rows;
  term_columns_ = cols;
  too_small_ = rows < kScreenRows || cols < kScreenColumns;
  return changed;
}

void TerminalBackend::HandleResize() {
  g_resized = 0;
  if (!UpdateSize()) return;
  shown_valid_ = false;
  attr_ = -1;
  cursor_row_ = cursor_column_ = -1;
  if (too_small_) {
    char notice[96];
    std::snprintf(notice, sizeof notice, "Enlarge the terminal to 80 x 25 (now %d x %d)",
                  term_columns_, term_rows_);
    std::string text = notice;
    if (static_cast<int>(text.size()) > term_columns_)
      text.resize(static_cast<size_t>(term_columns_));
    out_ += sgr0_ + clear_ + CursorAddress(0, 0) + text;
    cursor_visible_ = -1;
  } else if (have_model_) {
    Render(model_, true);
  }
  SendPending();
}

void TerminalBackend::MoveTo(int row, int column) {
  if (row == cursor_row_ && column == cursor_column_) return;
  out_ += CursorAddress(row - 1, column - 1);
  cursor_row_ = row;
  cursor_column_ = column;
}

void TerminalBackend::Render(const ScreenFrame& frame, bool full) {
  if (full) {
    out_ += sgr0_ + clear_;
    attr_ = -1;
    cursor_row_ = cursor_column_ = -1;
  }
  for (int row = 1; row <= kScreenRows; ++row) {
    for (int column = 1; column <= kScreenColumns; ++column) {
      const ScreenCell cell = frame.At(row, column);
      if (!full && shown_valid_ && shown_.At(row, column) == cell) continue;
      MoveTo(row, column);
      if (cell.attr != attr_) {
        out_ += attr_seq_[cell.attr];
        attr_ = cell.attr;
      }
      out_ += glyph_[cell.ch];
      // After the last column the terminal's cursor position is uncertain.
      cursor_column_ = column < kScreenColumns ? column + 1 : -1;
    }
  }
  shown_ = frame;
  shown_valid_ = true;
  if (frame.cursor_visible) {
    MoveTo(frame.cursor_row, frame.cursor_column);
    if (cursor_visible_ != 1) out_ += cnorm_;
  } else if (cursor_visible_ != 0) {
    out_ += civis_;
  }
  cursor_visible_ = frame.cursor_visible ? 1 : 0;
}

void TerminalBackend::Present(const ScreenFrame& frame, bool full) {
  if (g_resized) HandleResize();
  model_ = frame;
  have_model_ = true;
  if (!too_small_) Render(frame, full || !shown_valid_);
  SendPending();
}

void TerminalBackend::SendPending() {
  if (out_.empty()) return;
  size_t done = 0;
  while (done < out_.size()) {
    const ssize_t n = ::write(fd_, out_.data() + done, out_.size() - done);
    ++writes_;
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
      if (errno == EAGAIN) {
        struct pollfd p = {fd_, POLLOUT, 0};
        ::poll(&p, 1, 100);
      }
      continue;
    }
    if (n <= 0) break;  // the terminal is gone: nothing more can be shown
    done += static_cast<size_t>(n);
  }
  bytes_written_ += static_cast<int64_t>(done);
  out_.clear();
}

bool TerminalBackend::ReadInput(int milliseconds) {
  struct pollfd p = {fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, milliseconds);
  if (ready <= 0 || !(p.revents & POLLIN)) return false;
  char buffer[512];
  const ssize_t n = ::read(fd_, buffer, sizeof buffer);
  if (n <= 0) return false;
  decoder_.Feed(std::string_view(buffer, static_cast<size_t>(n)));
  return true;
}

bool TerminalBackend::PollInput(InputEvent* event) {
  SendPending();
  if (g_resized) HandleResize();
  while (ReadInput(0)) {
  }
  if (decoder_.Next(event)) return true;
  if (!decoder_.HasPending()) return false;
  // The start of a sequence: wait a moment for the rest, then take it as
  // it stands (a lone Esc).
  while (ReadInput(kEscDelayMillis)) {
    if (decoder_.Next(event)) return true;
  }
  return decoder_.Next(event, true);
}

void TerminalBackend::WaitForInput(int milliseconds) {
  SendPending();
  if (g_resized) {
    HandleResize();
    return;
  }
  if (decoder_.HasPending()) return;
  struct pollfd p = {fd_, POLLIN, 0};
  ::poll(&p, 1, milliseconds < 0 ? 0 : milliseconds);  // a resize interrupts it
  if (g_resized) HandleResize();
}

void TerminalBackend::SetMouseReporting(bool on) {
  if (on == mouse_on_) return;
  mouse_on_ = on;
  out_ += on ? kMouseOn : kMouseOff;
}

void TerminalBackend::Beep() { out_ += bel_; }

void TerminalBackend::SetClipboard(std::string_view text) {
  clipboard_ = std::string(text);
  out_ += "\x1B]52;c;" + Base64(Cp850ToUtf8(text)) + "\a";
}

void TerminalBackend::Suspend() {
  Leave();
  g_child_running = 1;
}

void TerminalBackend::Resume() {
  g_child_running = 0;
  if (entered_) return;
  UpdateSize();
  Enter();
}

}  // namespace zul
