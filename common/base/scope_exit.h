#pragma once
// Runs an action when the scope ends, for a one-off guard that no handle type fits.
#include <utility>

namespace basekit {

template <class Action>
class ScopeExit {
 public:
  explicit ScopeExit(Action action) : action_(std::move(action)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (armed_) action_();
  }
  // The action is no longer wanted.
  void release() { armed_ = false; }

 private:
  Action action_;
  bool armed_ = true;
};

}  // namespace basekit
