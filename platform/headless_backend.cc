#include "platform/headless_backend.h"

#include <algorithm>

#include "core/cp850.h"

namespace zul {

namespace {
constexpr int64_t kOverrunMillis = 3600 * 1000;
constexpr int64_t kOverrunPolls = 100000;
}  // namespace

void HeadlessBackend::Add(const InputEvent& event) {
  script_.push_back(Step{Step::Kind::kEvent, event, 0, nullptr});
}

void HeadlessBackend::Type(std::string_view utf8) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    const int32_t code_point = DecodeUtf8(utf8, &pos);
    const int byte = code_point < 0 ? -1 : UnicodeToCp850(static_cast<char32_t>(code_point));
    if (byte > 0) Key(static_cast<uint16_t>(byte));
  }
}

void HeadlessBackend::Click(int16_t row, int16_t column) {
  Mouse(kMousePress, kMouseButton1, row, column);
  Mouse(kMouseRelease, 0, row, column);
}

void HeadlessBackend::Pause(int64_t milliseconds) {
  script_.push_back(Step{Step::Kind::kPause, {}, milliseconds, nullptr});
}

void HeadlessBackend::Then(std::function<void()> action) {
  script_.push_back(Step{Step::Kind::kAction, {}, 0, std::move(action)});
}

void HeadlessBackend::Present(const ScreenFrame& frame, bool full) {
  frame_ = frame;
  ++frames_;
  if (full) ++full_frames_;
}

bool HeadlessBackend::Advance() {
  while (!script_.empty()) {
    Step& step = script_.front();
    if (step.kind == Step::Kind::kEvent) return true;
    if (step.kind == Step::Kind::kAction) {
      // Taken off first: the action may add to the script.
      std::function<void()> action = std::move(step.action);
      script_.pop_front();
      action();
      continue;
    }
    if (pause_deadline_ < 0) pause_deadline_ = env_.NowMillis() + step.pause_ms;
    if (env_.NowMillis() < pause_deadline_) return false;
    pause_deadline_ = -1;
    script_.pop_front();
  }
  return false;
}

void HeadlessBackend::NoteIdle(int64_t milliseconds) {
  if (!script_.empty()) return;
  idle_ms_ += milliseconds;
  if (milliseconds == 0) ++idle_polls_;
  if (idle_ms_ >= kOverrunMillis || idle_polls_ >= kOverrunPolls) overrun_ = true;
}

bool HeadlessBackend::PollInput(InputEvent* event) {
  if (Advance()) {
    *event = script_.front().event;
    script_.pop_front();
    idle_ms_ = 0;
    idle_polls_ = 0;
    return true;
  }
  NoteIdle(0);
  if (overrun_) {
    *event = InputEvent::Key(27);
    return true;
  }
  return false;
}

void HeadlessBackend::WaitForInput(int milliseconds) {
  if (Advance() || overrun_) return;
  int64_t wait = std::max(milliseconds, 0);
  if (!script_.empty() && pause_deadline_ >= 0) {
    wait = std::min<int64_t>(wait, pause_deadline_ - env_.NowMillis());
  }
  env_.SleepMillis(wait);
  NoteIdle(wait);
}

void HeadlessBackend::SetClipboard(std::string_view text) {
  clipboard_ = std::string(text);
  clipboard_writes_.push_back(clipboard_);
}

void HeadlessBackend::Suspend() {
  ++suspends_;
  suspended_ = true;
}

}  // namespace zul
