#pragma once
// A second pass buffer and a thread that fills it with random bytes while the
// caller writes the first: a random pass then costs the larger of generating and
// writing, not their sum. The thread ends when the worker is destroyed.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "method_catalogue.h"
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
  // Fills the first `bytes` bytes of `target` with a random kind as the calling thread
  // would with its generator at `state`; the caller's generator is not touched.
  void Fill(PassBuffer& target, std::size_t bytes, FillKind kind, std::uint32_t state);
  // Returns once the last fill asked for is complete.
  void Wait();

 private:
  FillWorker() = default;
  void Serve();

  PassBuffer buffer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool pending_ = false;  // a fill is asked for or under way
  bool stop_ = false;
  std::uint8_t* target_ = nullptr;
  std::size_t bytes_ = 0;
  FillKind kind_ = FillKind::RandomPairs;
  std::uint32_t state_ = 0;
  std::thread thread_;
};

}  // namespace dornix
