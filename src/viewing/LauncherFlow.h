#pragma once
// The secure launcher without its widgets: an encrypted file is restored
// beside its container and offered to the program the desktop opens its type
// with. Yes starts the program, deletes the container and reminds the user
// to encrypt the file again; No (or no program, unless the user keeps it)
// wipes the restored file. Whatever way a launch ends, the restored file is
// never left unasked.

#include <string>

#include "protect/Feedback.h"
#include "protect/PendingFiles.h"
#include "protect/VolumeFacts.h"
#include "viewing/KeyLifetime.h"
#include "viewing/ViewerFlow.h"

namespace vls {

// The desktop's programs for a file's type.
class FileOpener {
 public:
  virtual ~FileOpener() = default;
  // The name of the program the desktop opens the file with, as its entry
  // gives it; "" when there is none.
  virtual std::string ProgramFor(const std::string& file) = 0;
  // Opens the file with that program and returns at once: "" when the
  // program was started, otherwise why not.
  virtual std::string Open(const std::string& file) = 0;
};

// What a launch needs of the window around it.
class LauncherWindow {
 public:
  virtual ~LauncherWindow() = default;
  virtual void RequestDecryptionKey() = 0;
  // Busy: hourglass, LEDs, the file list disabled; ready: the reverse.
  virtual void SetLaunchBusy(bool busy) = 0;
  // The viewer's picture emptied (a launch shows none).
  virtual void ClearViewerPicture() = 0;
  // Stops Timer1 (after a wrong key the key's gauges go with it).
  virtual void StopKeyTimer() = 0;
  virtual void SetStatusLine(const std::string& text) = 0;
  // Makes the folder file list read its folder again.
  virtual void RereadFolder() = 0;
};

class LauncherFlow {
 public:
  LauncherFlow(LauncherWindow& window, Feedback& feedback, VolumeFacts& volumes, KeyLifetime& keys,
               FileOpener& opener, FlowLock& lock)
      : window_(window),
        feedback_(feedback),
        volumes_(volumes),
        keys_(keys),
        opener_(opener),
        lock_(lock) {}

  // Restores the container at path and offers the file to its program.
  void Launch(const std::string& path);

 private:
  void Offer(PendingFile& restored, const std::string& container);
  void Wipe(PendingFile& restored);

  LauncherWindow& window_;
  Feedback& feedback_;
  VolumeFacts& volumes_;
  KeyLifetime& keys_;
  FileOpener& opener_;
  FlowLock& lock_;
};

// The reminder after a file was opened.
inline constexpr const char* kReencryptReminder = "Dont't forget to re-encrypt the file.";

}  // namespace vls
