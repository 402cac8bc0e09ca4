// Console speed: what a full repaint sends to a terminal and how long it
// takes, and the time of a full-screen PushWindow and PopWindow pair.
//
//   cmake --build build && build/bench/console_bench
//
// The repaint runs the terminal backend on a pseudo-terminal (TERM
// xterm-256color) whose other side is drained by a thread; the counters
// bytes_per_repaint and writes_per_repaint give what one full frame costs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "config/session.h"
#include "console/console.h"
#include "console/console_ui.h"
#include "platform/headless_backend.h"
#include "platform/posix_env.h"
#include "platform/terminal_backend.h"

namespace {

// A busy screen like a form: a title bar, a double frame, labels and fields
// in three styles, accented letters and single-line boxes.
void DrawForm(zul::ConsoleUi& ui) {
  zul::Console& c = ui.console();
  c.SetColours(7, 1);
  c.Clear();
  c.SetColours(15, 3);
  c.Write(std::string(80, ' '));
  c.SetCursor(1, 3);
  c.Write(" GESTI\xE0 DE FINQUES - LLISTAT D'ADRECES D'HORITZONTAL ");
  ui.PushWindow(3, 1, 23, 80);
  c.SetColours(14, 1);
  ui.DrawFrame(2);
  for (int16_t row = 2; row <= 19; ++row) {
    ui.WindowLocate(row, 2);
    c.SetColours(7, 1);
    c.Write("Comunitat n\xA3m. " + std::to_string(row) +
            "   Pla\x87"
            "a Catalunya, 12 \xB3 ");
    c.SetColours(0, 7);
    c.Write(
        "Pres. Mart\xA1 i Gr\x85"
        "cia       ");
    c.SetColours(15, 1);
    c.Write(" \xDA\xC4\xC4\xBF \xB0\xB1\xB2 ");
  }
  c.SetColours(0, 7);
  c.SetCursor(25, 1);
  c.Write(" F1 Ajuda  Esc Surt  Alt+X Calculadora  Alt+C Calendari" + std::string(25, ' '));
}

// A pseudo-terminal whose output side is read and thrown away.
class DrainedPty {
 public:
  DrainedPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master_);
    ::unlockpt(master_);
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    struct winsize size {};
    size.ws_row = 25;
    size.ws_col = 80;
    ::ioctl(slave_, TIOCSWINSZ, &size);
    drain_ = std::thread([this] {
      char buffer[65536];
      while (!stop_) {
        struct pollfd p = {master_, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && ::read(master_, buffer, sizeof buffer) <= 0) break;
      }
    });
  }
  ~DrainedPty() {
    stop_ = true;
    drain_.join();
    ::close(slave_);
    ::close(master_);
  }
  int slave() const { return slave_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::atomic<bool> stop_{false};
  std::thread drain_;
};

zul::SessionValues BenchSession(const std::string& dir) {
  zul::SessionValues v;
  v.work_dir = dir + "/";
  v.screen_colours = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
  return v;
}

std::string MakeTempDir() {
  char work[] = "/tmp/console_bench.XXXXXX";
  return ::mkdtemp(work) ? work : "/tmp";
}

// The terminal backend on the pseudo-terminal; nullptr (and the benchmark
// marked as failed) when it cannot be opened.
std::unique_ptr<zul::TerminalBackend> OpenBenchTerminal(DrainedPty& pty, benchmark::State& state) {
  std::string error;
  std::unique_ptr<zul::TerminalBackend> terminal =
      zul::TerminalBackend::OpenOn(pty.slave(), "xterm-256color", &error);
  if (!terminal) state.SkipWithError(error.c_str());
  return terminal;
}

void BM_FullRepaint(benchmark::State& state) {
  DrainedPty pty;
  std::unique_ptr<zul::TerminalBackend> terminal = OpenBenchTerminal(pty, state);
  if (!terminal) return;
  const std::string dir = MakeTempDir();
  zul::PosixEnv env;
  const zul::Session session(BenchSession(dir));
  zul::Console console(env, *terminal);
  zul::ConsoleUi ui(env, console, session);
  DrawForm(ui);
  console.Flush();
  int64_t bytes = 0, writes = 0, frames = 0;
  for (auto _ : state) {
    const int64_t before = terminal->BytesWritten(), before_writes = terminal->Writes();
    terminal->Present(console.Model(), true);
    bytes += terminal->BytesWritten() - before;
    writes += terminal->Writes() - before_writes;
    ++frames;
  }
  state.counters["bytes_per_repaint"] = static_cast<double>(bytes) / static_cast<double>(frames);
  state.counters["writes_per_repaint"] = static_cast<double>(writes) / static_cast<double>(frames);
  ui.PopWindow();
  terminal.reset();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

// One changed cell: what an ordinary frame costs.
void BM_OneCellFrame(benchmark::State& state) {
  DrainedPty pty;
  std::unique_ptr<zul::TerminalBackend> terminal = OpenBenchTerminal(pty, state);
  if (!terminal) return;
  zul::PosixEnv env;
  zul::Console console(env, *terminal);
  console.Write("x");
  console.Flush();
  int64_t bytes = 0, frames = 0;
  char ch = 'a';
  for (auto _ : state) {
    console.SetCursor(10, 40);
    console.Write(std::string(1, ch));
    ch = ch == 'z' ? 'a' : static_cast<char>(ch + 1);
    const int64_t before = terminal->BytesWritten();
    console.Flush();
    bytes += terminal->BytesWritten() - before;
    ++frames;
  }
  state.counters["bytes_per_frame"] = static_cast<double>(bytes) / static_cast<double>(frames);
}
BENCHMARK(BM_OneCellFrame)->Unit(benchmark::kMicrosecond);

void BM_FullScreenPushPopPair(benchmark::State& state) {
  const std::string dir = MakeTempDir();
  zul::PosixEnv env;
  zul::HeadlessBackend screen(env);
  const zul::Session session(BenchSession(dir));
  zul::Console console(env, screen);
  zul::ConsoleUi ui(env, console, session);
  DrawForm(ui);
  ui.PopWindow();
  for (auto _ : state) {
    ui.PushWindow(1, 1, 25, 80);
    ui.PopWindow();
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FullScreenPushPopPair)->Unit(benchmark::kMicrosecond);

}  // namespace
