#include "fill_worker.h"

#include <chrono>
#include <cstring>
#include <system_error>

namespace dornix {

namespace {

// Longer than a chunk takes to reach a fast disk, so that on one the thread never
// sleeps between chunks; short enough that a slow disk does not keep a processor busy.
constexpr std::chrono::microseconds kWatchFor{100};

inline void Relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

void FillRandom(std::span<std::uint8_t> bytes, FillKind kind) {
  if (kind == FillKind::RandomPairs) FillRandomPairs(bytes);
  if (kind == FillKind::RandomLetters) FillRandomLetters(bytes);
}

std::unique_ptr<FillWorker> FillWorker::Start() {
  std::unique_ptr<FillWorker> worker(new (std::nothrow) FillWorker);
  if (!worker || !worker->buffer_.valid()) return nullptr;
  // The buffer's pages are had now, not in the first fill that is waited for. Here,
  // not on the thread: a caller that withdraws a fill writes this buffer itself.
  std::memset(worker->buffer_.data(), 0, kPassBufferSize);
  try {
    worker->thread_ = std::thread([w = worker.get()] { w->Serve(); });
  } catch (const std::system_error&) {
    return nullptr;
  }
  return worker;
}

FillWorker::~FillWorker() {
  stop_ = true;
  Wake();
  if (thread_.joinable()) thread_.join();
}

template <class Ready>
void FillWorker::WaitUntil(const Ready& ready) {
  const auto until = std::chrono::steady_clock::now() + kWatchFor;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, ready);
      return;
    }
    Relax();
  }
}

void FillWorker::Wake() {
  // Taken and let go so that a waiter is either asleep already or sees the change
  // when it checks under the lock.
  { const std::lock_guard lock(mutex_); }
  changed_.notify_all();
}

void FillWorker::Fill(std::span<std::uint8_t> target, FillKind kind, std::uint32_t state) {
  target_ = target;
  kind_ = kind;
  state_ = state;
  job_ = Job::Asked;
  Wake();
}

bool FillWorker::Collect(std::chrono::steady_clock::duration patience) {
  Job asked = Job::Asked;
  if (job_.compare_exchange_strong(asked, Job::None)) return false;
  const auto until = std::chrono::steady_clock::now() + patience;
  while (job_ != Job::None) {
    if (std::chrono::steady_clock::now() >= until) return false;
    Relax();
  }
  return true;
}

void FillWorker::Settle() {
  Job asked = Job::Asked;
  if (job_.compare_exchange_strong(asked, Job::None)) return;
  WaitUntil([this] { return job_ == Job::None; });
}

void FillWorker::Serve() {
  for (;;) {
    WaitUntil([this] { return job_ == Job::Asked || stop_; });
    if (stop_) return;
    Job asked = Job::Asked;
    if (!job_.compare_exchange_strong(asked, Job::Filling)) continue;  // withdrawn meanwhile
    generator::Seed(state_);
    FillRandom(target_, kind_);
    job_ = Job::None;
    Wake();
  }
}

FillWorker* FillWorkerSlot::Get() {
  if (!worker_ && !failed_) {
    worker_ = FillWorker::Start();
    failed_ = !worker_;
  }
  return worker_.get();
}

void FillWorkerSlot::Stop() {
  worker_.reset();
  failed_ = false;
}

}  // namespace dornix
