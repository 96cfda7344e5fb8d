#include "fill_worker.h"

#include <system_error>

namespace dornix {

std::unique_ptr<FillWorker> FillWorker::Start() {
  std::unique_ptr<FillWorker> worker(new (std::nothrow) FillWorker);
  if (!worker || !worker->buffer_.valid()) return nullptr;
  try {
    worker->thread_ = std::thread([w = worker.get()] { w->Serve(); });
  } catch (const std::system_error&) {
    return nullptr;
  }
  return worker;
}

FillWorker::~FillWorker() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void FillWorker::Fill(PassBuffer& target, std::size_t bytes, FillKind kind, std::uint32_t state) {
  {
    const std::lock_guard lock(mutex_);
    target_ = target.data();
    bytes_ = bytes;
    kind_ = kind;
    state_ = state;
    pending_ = true;
  }
  changed_.notify_all();
}

void FillWorker::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !pending_; });
}

void FillWorker::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending_ || stop_; });
    // A fill asked for is finished even when stopping: its buffer must not be in use
    // after the worker is gone.
    if (!pending_) return;
    const std::span<std::uint8_t> target(target_, bytes_);
    const FillKind kind = kind_;
    generator::Seed(state_);
    lock.unlock();
    if (kind == FillKind::RandomPairs) FillRandomPairs(target);
    if (kind == FillKind::RandomLetters) FillRandomLetters(target);
    lock.lock();
    pending_ = false;
    changed_.notify_all();
  }
}

}  // namespace dornix
