#pragma once

// Progress of a long build, shown on a terminal as one line rewritten in place:
// the phase, its percentage, the amount done and the rate.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace quillwen::build {

class Progress {
 public:
  virtual ~Progress() = default;
  // `unit` names what is counted ("pages").
  virtual void BeginPhase(std::string_view name, std::string_view unit) = 0;
  // `fraction` of the phase is done (0 to 1), `count` units so far.
  virtual void Update(double fraction, uint64_t count) = 0;
  virtual void EndPhase() = 0;
};

// For a run without a display.
class SilentProgress : public Progress {
 public:
  void BeginPhase(std::string_view, std::string_view) override {}
  void Update(double, uint64_t) override {}
  void EndPhase() override {}
};

class TerminalProgress : public Progress {
 public:
  explicit TerminalProgress(std::FILE* out) : out_(out) {}
  // Ends a line left open by a phase that did not finish (a failed build).
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // True when `out` is a terminal, where a rewritten line makes sense.
  static bool IsTerminal(std::FILE* out);

  void BeginPhase(std::string_view name, std::string_view unit) override;
  void Update(double fraction, uint64_t count) override;
  void EndPhase() override;

 private:
  using Clock = std::chrono::steady_clock;
  void Draw(double fraction, uint64_t count, bool final);

  std::FILE* out_;
  std::string name_;
  std::string unit_;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
  double fraction_ = 0;
  uint64_t count_ = 0;
  bool lineOpen_ = false;
};

// Formats one progress line: "pages  42%  61234 pages  8123 pages/s".
std::string ProgressLine(std::string_view name, double fraction, uint64_t count,
                         std::string_view unit, double seconds);

}  // namespace quillwen::build
