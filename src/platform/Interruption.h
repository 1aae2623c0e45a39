#pragma once
// Requests to stop the program (SIGINT, SIGTERM, SIGHUP: Ctrl-C, a kill, a
// closed terminal). While a file holds plain bytes only for the length of an
// operation, stopping at once would leave them behind; the operation polls
// the request at safe points instead, wipes what it wrote and ends. Outside
// such stretches the program may stop at once.

#include <chrono>
#include <future>
#include <stdexcept>
#include <utility>

namespace vls {

// Thrown at a safe point once a stop was requested; carries the signal, or
// 0 when the user cancelled the work (the program goes on).
class Interrupted : public std::runtime_error {
 public:
  explicit Interrupted(int signal) : std::runtime_error("Interrupted"), signal_(signal) {}
  int signal() const noexcept { return signal_; }
  bool cancelled() const noexcept { return signal_ == 0; }

 private:
  int signal_;
};

// How the process reacts to a request that comes outside a critical stretch.
enum class InterruptStyle {
  // A terminal program: the request ends the process at once (after the exit
  // hook), as the signal would by default.
  ExitAtOnce,
  // An event-driven program: the request only writes one byte to wake_fd; the
  // event loop then ends the program in its own time.
  Notify,
};

// Installs the handlers for SIGINT, SIGTERM and SIGHUP.
void InstallInterruptHandlers(InterruptStyle style, int wake_fd = -1);
// Called from the signal handler before the process ends at once (for
// example to give a terminal its echo back); must be async-signal-safe.
void SetInterruptExitHook(void (*hook)());
// The signal of the first stop request, or 0.
int InterruptSignal() noexcept;
// A safe point: runs the hook that keeps the front end answering, then
// throws Interrupted when a stop or a cancel was requested.
void ThrowIfInterrupted();
// Forgets a request (tests, and a program that has handled it).
void ClearInterruptRequest() noexcept;

// The user's request to stop the work in progress (Escape, "Cancel"): seen
// at the next safe point, like a signal, but the program goes on.
void RequestCancel() noexcept;
bool CancelRequested() noexcept;
void ClearCancelRequest() noexcept;

// Called at every safe point and wherever long work may pause without being
// stopped (a wipe once begun): a window processes its events there, so it
// stays painted and sees Escape. nullptr: none.
void SetSafePointHook(void (*hook)());
void KeepResponsive();

// Waits for work on another thread (a flush of a large file can take
// seconds), KeepResponsive() running here meanwhile; rethrows its error.
inline void WaitKeepingResponsive(std::future<void>& done) {
  while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
    KeepResponsive();
  done.get();
}

// Runs a blocking call on a thread of its own and waits for it so.
template <typename Call>
void RunKeepingResponsive(Call&& call) {
  auto done = std::async(std::launch::async, std::forward<Call>(call));
  WaitKeepingResponsive(done);
}
// Ends the process as the signal would have (default action, then raise).
[[noreturn]] void ExitForSignal(int signal);

// Marks a stretch in which an immediate end would leave plain bytes on the
// disk: a request is then only recorded, for the next safe point.
class CriticalStretch {
 public:
  CriticalStretch() noexcept;
  ~CriticalStretch();
  CriticalStretch(const CriticalStretch&) = delete;
  CriticalStretch& operator=(const CriticalStretch&) = delete;
};

}  // namespace vls
