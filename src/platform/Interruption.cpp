#include "platform/Interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace vls {
namespace {

std::atomic<int> requested{0};
std::atomic<int> critical_depth{0};
std::atomic<int> notify_fd{-1};
std::atomic<bool> exit_at_once{false};
std::atomic<void (*)()> exit_hook{nullptr};
std::atomic<bool> cancel_requested{false};
void (*safe_point_hook)() = nullptr;  // set and called on the main thread only

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnStopSignal(int signal) {
  const int saved_errno = errno;
  int none = 0;
  requested.compare_exchange_strong(none, signal);
  if (const int fd = notify_fd.load(); fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
  }
  if (exit_at_once.load() && critical_depth.load() == 0) {
    if (auto hook = exit_hook.load())
      hook();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
  errno = saved_errno;
}

}  // namespace

void InstallInterruptHandlers(InterruptStyle style, int wake_fd) {
  exit_at_once = style == InterruptStyle::ExitAtOnce;
  notify_fd = wake_fd;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals)
    sigaddset(&action.sa_mask, signal);
  // Reads and writes go on after the handler ran; the request is polled.
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals)
    ::sigaction(signal, &action, nullptr);
}

void SetInterruptExitHook(void (*hook)()) {
  exit_hook = hook;
}

int InterruptSignal() noexcept {
  return requested.load();
}

void ThrowIfInterrupted() {
  KeepResponsive();
  if (const int signal = requested.load(); signal != 0)
    throw Interrupted(signal);
  if (cancel_requested.load())
    throw Interrupted(0);
}

void RequestCancel() noexcept {
  cancel_requested = true;
}

bool CancelRequested() noexcept {
  return cancel_requested.load();
}

void ClearCancelRequest() noexcept {
  cancel_requested = false;
}

void SetSafePointHook(void (*hook)()) {
  safe_point_hook = hook;
}

void KeepResponsive() {
  if (safe_point_hook != nullptr)
    safe_point_hook();
}

void ClearInterruptRequest() noexcept {
  requested = 0;
}

void ExitForSignal(int signal) {
  if (auto hook = exit_hook.load())
    hook();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
  std::_Exit(128 + signal);
}

CriticalStretch::CriticalStretch() noexcept {
  ++critical_depth;
}

CriticalStretch::~CriticalStretch() {
  --critical_depth;
}

}  // namespace vls
