#pragma once
// GraphicsMagick's progress monitor wired to ProgressHook, and the mark of a
// decode in progress. ProgressHook may process window events and so ask for
// another picture while the library decodes: the library holds a lock while
// it calls the monitor, so that second decode must not start (it would wait
// for the lock for ever). The same lock makes a decode on another thread
// wait at its next row while ProgressHook runs: a thread that holds the hook
// (the window's) must never wait for a decode on another thread. Internal to
// the loader.

// GraphicsMagick's C interface.
#include <magick/api.h>

#include "imaging/picture/PictureState.h"

namespace vls::picture {

// The load in progress, as the monitor sees it.
struct LoadProgress {
  int last_percent = 0;
  bool cancelled = false;
  const bool* stop = nullptr;
  const ProgressProc* hook = nullptr;  // ProgressHook, as the caller passed it
};

// The library's monitor is one for the process, and the library reads it
// without a lock while other threads decode: it is installed once, when the
// library starts (InitMagickOnce), and never changed. It reports only the
// loads of its own thread that a MonitorScope names; every other decode
// (thumbnails on worker threads, metafiles) passes it by.
void InstallMonitor();

// Names the load whose progress this thread's decoder reports, for the
// lifetime of one decode, and restores the one named before. ProgressHook
// may process window events and so start another load inside this one; the
// inner load then restores the outer one's.
class MonitorScope {
 public:
  explicit MonitorScope(LoadProgress& load);
  ~MonitorScope();
  MonitorScope(const MonitorScope&) = delete;
  MonitorScope& operator=(const MonitorScope&) = delete;

 private:
  LoadProgress* previous_load_;
};

// True while the library works for a load on this thread.
bool MagickBusy();

// Marks the library busy for its lifetime.
class MagickBusyScope {
 public:
  MagickBusyScope();
  ~MagickBusyScope();
  MagickBusyScope(const MagickBusyScope&) = delete;
  MagickBusyScope& operator=(const MagickBusyScope&) = delete;
};

}  // namespace vls::picture
