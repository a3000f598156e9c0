#include "core/panel_model/background_release.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace quillwen {
namespace {

// Records which thread destroyed it.
struct Witness {
  explicit Witness(std::atomic<std::thread::id>* at) : destroyedOn(at) {}
  Witness(Witness&& other) noexcept : destroyedOn(std::exchange(other.destroyedOn, nullptr)) {}
  ~Witness() {
    if (destroyedOn != nullptr) destroyedOn->store(std::this_thread::get_id());
  }
  std::atomic<std::thread::id>* destroyedOn;
};

TEST(BackgroundRelease, DestroysTheValueOffTheCallersThreadBeforeWaitReturns) {
  std::atomic<std::thread::id> first, second;
  BackgroundRelease release;
  std::vector<Witness> values;
  values.emplace_back(&first);
  release.Release(std::move(values));
  release.Wait();
  EXPECT_NE(first.load(), std::thread::id());
  EXPECT_NE(first.load(), std::this_thread::get_id());
  // A second value after the first; the destructor waits for it.
  {
    BackgroundRelease scoped;
    scoped.Release(Witness(&second));
  }
  EXPECT_NE(second.load(), std::thread::id());
  EXPECT_NE(second.load(), std::this_thread::get_id());
}

TEST(BackgroundRelease, SharedValuesLiveOnWithTheirOtherOwners) {
  auto kept = std::make_shared<std::vector<int>>(1000, 7);
  std::vector<std::shared_ptr<std::vector<int>>> released(100, kept);
  BackgroundRelease release;
  release.Release(std::move(released));
  release.Wait();
  EXPECT_EQ(kept.use_count(), 1);
  EXPECT_EQ(kept->at(999), 7);
}

}  // namespace
}  // namespace quillwen
