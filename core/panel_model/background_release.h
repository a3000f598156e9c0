#pragma once

// Destroying a value off the caller's thread. Hundreds of thousands of rows of
// strings take tens of milliseconds to free; the command that replaces them
// should not wait for that, nor charge it to the next search.

#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

namespace quillwen {

class BackgroundRelease {
 public:
  BackgroundRelease() = default;
  // Waits for the value last handed over to be destroyed.
  ~BackgroundRelease() { Wait(); }
  BackgroundRelease(const BackgroundRelease&) = delete;
  BackgroundRelease& operator=(const BackgroundRelease&) = delete;

  // Takes `value` and destroys it on a thread of its own. It must share nothing
  // with what the caller goes on to use, apart from thread-safe counts (those of
  // std::shared_ptr). One release runs at a time: a new one first waits for the
  // last, which is long done as a rule. Without a thread to be had, the value is
  // destroyed here.
  template <class T>
  void Release(T&& value) {
    Wait();
    auto destroy = [held = std::forward<T>(value)]() mutable {
      // Moved into a local, so that it dies on this thread whatever becomes of
      // the function object afterwards.
      [[maybe_unused]] std::decay_t<T> dropped = std::move(held);
    };
    try {
      worker_ = std::thread(std::move(destroy));
    } catch (const std::system_error&) {
    }
  }

  // Returns when the value last handed over has been destroyed.
  void Wait() {
    if (worker_.joinable()) worker_.join();
  }

 private:
  std::thread worker_;
};

}  // namespace quillwen
