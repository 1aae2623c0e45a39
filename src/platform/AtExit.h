#pragma once
// Runs a step when the scope is left, whichever way it is left (a return,
// an exception): the one guard for "always undo this".

#include <utility>

namespace vls {

template <typename Step>
class AtExit {
 public:
  explicit AtExit(Step step) : step_(std::move(step)) {}
  ~AtExit() { step_(); }
  AtExit(const AtExit&) = delete;
  AtExit& operator=(const AtExit&) = delete;

 private:
  Step step_;
};

}  // namespace vls
