#include "tools/builder/progress.h"

#include <unistd.h>

#include <algorithm>

namespace quillwen::build {

TerminalProgress::~TerminalProgress() {
  if (lineOpen_) std::fputc('\n', out_);
}

bool TerminalProgress::IsTerminal(std::FILE* out) { return ::isatty(::fileno(out)) == 1; }

void TerminalProgress::BeginPhase(std::string_view name, std::string_view unit) {
  name_ = name;
  unit_ = unit;
  start_ = Clock::now();
  lastDraw_ = start_;
  fraction_ = 0;
  count_ = 0;
  Draw(0, 0, false);
}

void TerminalProgress::Update(double fraction, uint64_t count) {
  fraction_ = fraction;
  count_ = count;
  // Redrawing ten times a second is plenty and keeps the terminal cheap.
  if (Clock::now() - lastDraw_ >= std::chrono::milliseconds(100)) Draw(fraction, count, false);
}

void TerminalProgress::EndPhase() { Draw(1.0, count_, true); }

void TerminalProgress::Draw(double fraction, uint64_t count, bool final) {
  lastDraw_ = Clock::now();
  const double seconds = std::chrono::duration<double>(lastDraw_ - start_).count();
  const std::string line = ProgressLine(name_, fraction, count, unit_, seconds);
  std::fprintf(out_, "\r\033[K%s%s", line.c_str(), final ? "\n" : "");
  std::fflush(out_);
  lineOpen_ = !final;
}

std::string ProgressLine(std::string_view name, double fraction, uint64_t count,
                         std::string_view unit, double seconds) {
  const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
  char buffer[160];
  if (unit.empty()) {
    std::snprintf(buffer, sizeof buffer, "%-14.*s %3d%%  %.1f s", static_cast<int>(name.size()),
                  name.data(), percent, seconds);
  } else {
    const double rate = seconds > 0 ? static_cast<double>(count) / seconds : 0;
    std::snprintf(buffer, sizeof buffer, "%-14.*s %3d%%  %llu %.*s  %.0f %.*s/s",
                  static_cast<int>(name.size()), name.data(), percent,
                  static_cast<unsigned long long>(count), static_cast<int>(unit.size()),
                  unit.data(), rate, static_cast<int>(unit.size()), unit.data());
  }
  return buffer;
}

}  // namespace quillwen::build
