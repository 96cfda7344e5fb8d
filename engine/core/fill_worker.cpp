#include "fill_worker.h"

#include <system_error>

namespace dornix {

void FillRandom(std::span<std::uint8_t> bytes, FillKind kind) {
  if (kind == FillKind::RandomPairs) FillRandomPairs(bytes);
  if (kind == FillKind::RandomLetters) FillRandomLetters(bytes);
}

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

void FillWorker::Fill(std::span<std::uint8_t> target, FillKind kind, std::uint32_t state) {
  {
    const std::lock_guard lock(mutex_);
    target_ = target;
    kind_ = kind;
    state_ = state;
    job_ = Job::Asked;
  }
  changed_.notify_all();
}

bool FillWorker::Collect() {
  std::unique_lock lock(mutex_);
  if (job_ == Job::Asked) {
    job_ = Job::None;
    return false;
  }
  changed_.wait(lock, [this] { return job_ == Job::None; });
  return true;
}

void FillWorker::Serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return job_ == Job::Asked || stop_; });
    if (job_ != Job::Asked) return;
    job_ = Job::Filling;
    const auto target = target_;
    const FillKind kind = kind_;
    generator::Seed(state_);
    lock.unlock();
    FillRandom(target, kind);
    lock.lock();
    job_ = Job::None;
    changed_.notify_all();
  }
}

}  // namespace dornix
