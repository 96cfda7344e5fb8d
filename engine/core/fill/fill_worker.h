#pragma once
// A second pass buffer and a thread that fills it with random bytes while the
// caller writes the first: a random pass then costs the larger of generating and
// writing, not their sum. The thread ends when the worker is destroyed.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "wipe_methods.h"
#include "pass_fill.h"

namespace dornix {

class FillWorker {
 public:
  // Empty when no memory or no thread could be had: the caller fills alone then.
  static std::unique_ptr<FillWorker> Start();
  ~FillWorker();
  FillWorker(const FillWorker&) = delete;
  FillWorker& operator=(const FillWorker&) = delete;

  PassBuffer& Buffer() { return buffer_; }
  // Asks for `target` to be filled with a random kind as the calling thread would fill
  // it with its generator at `state`; the caller's generator is not touched.
  void Fill(std::span<std::uint8_t> target, FillKind kind, std::uint32_t state);
  // True once the fill asked for is complete. False when it is not, and the caller
  // fills the bytes itself rather than wait: either the thread had not begun it (a busy
  // machine had not given it a processor) and it is withdrawn, or it did not end within
  // `patience` (the thread was interrupted midway) and the thread ends it later; its
  // target is then not to be touched before Idle().
  bool Collect(std::chrono::steady_clock::duration patience);
  // No fill is asked for or going on: every target is free and a fill may be asked for.
  bool Idle() const { return job_ == Job::None; }
  // Withdraws a fill not yet begun, or waits for the one going on to end.
  void Settle();

 private:
  FillWorker() = default;
  void Serve();
  // Waits until `ready` holds: first watching for a while, since a chunk is written in
  // microseconds and waking a sleeping thread can cost more than that, then asleep.
  template <class Ready>
  void WaitUntil(const Ready& ready);
  void Wake();

  enum class Job : std::uint8_t { None, Asked, Filling };
  PassBuffer buffer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<Job> job_{Job::None};
  std::atomic<bool> stop_{false};
  // Written by Fill before the job is asked for, read by the thread once it takes it.
  std::span<std::uint8_t> target_;
  FillKind kind_ = FillKind::RandomPairs;
  std::uint32_t state_ = 0;
  std::thread thread_;
};

// The fill worker of a run of passes, started when a pass first hands a chunk off and
// kept until Stop(). Where no thread could be had the passes fill alone, and no other
// start is tried before Stop().
class FillWorkerSlot {
 public:
  FillWorker* Get();
  void Stop();

 private:
  std::unique_ptr<FillWorker> worker_;
  bool failed_ = false;
};

// Fills `bytes` with a random kind on the calling thread's generator.
void FillRandom(std::span<std::uint8_t> bytes, FillKind kind);

}  // namespace dornix
