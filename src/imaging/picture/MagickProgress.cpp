#include "imaging/picture/MagickProgress.h"

#include <algorithm>

namespace vls::picture {
namespace {

// The load in progress on this thread, for the monitor (a plain C callback
// without a user pointer); null on threads that report to nobody.
thread_local LoadProgress* current_load = nullptr;
thread_local bool magick_busy = false;

// Turns the decoder's row counts into percentages for ProgressHook. Only
// rising percentages are passed on, so the gauge never runs backwards over
// the passes of an interlaced picture.
MagickPassFail MonitorToProgressHook(const char* /*text*/, const magick_int64_t quantum,
                                     const magick_uint64_t span, ExceptionInfo* /*exception*/) {
  LoadProgress* load = current_load;
  if (load == nullptr)
    return MagickPass;
  if (load->stop != nullptr && *load->stop)
    load->cancelled = true;
  if (load->cancelled)
    return MagickFail;
  if (span == 0 || quantum < 0)
    return MagickPass;
  const auto done = static_cast<magick_uint64_t>(quantum) + 1;
  const int percent = static_cast<int>(std::min<magick_uint64_t>(100, done * 100 / span));
  if (percent <= load->last_percent)
    return MagickPass;
  load->last_percent = percent;
  if (load->hook != nullptr && *load->hook && (*load->hook)(percent) == 0)
    load->cancelled = true;
  if (load->stop != nullptr && *load->stop)
    load->cancelled = true;
  return load->cancelled ? MagickFail : MagickPass;
}

}  // namespace

void InstallMonitor() {
  SetMonitorHandler(MonitorToProgressHook);
}

MonitorScope::MonitorScope(LoadProgress& load) : previous_load_(current_load) {
  current_load = &load;
}

MonitorScope::~MonitorScope() {
  current_load = previous_load_;
}

bool MagickBusy() {
  return magick_busy;
}

MagickBusyScope::MagickBusyScope() {
  magick_busy = true;
}

MagickBusyScope::~MagickBusyScope() {
  magick_busy = false;
}

}  // namespace vls::picture
