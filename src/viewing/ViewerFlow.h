#pragma once
// The secure viewer without its widgets: an encrypted picture is decrypted
// into memory, decoded from there and shown; its plain bytes are zeroed on
// every way out. No plain copy is ever written, so a kill, a crash or a full
// disk cannot leave one behind. The same view feeds the viewer page and the
// slide show's full-screen form.

#include <cstdint>
#include <span>
#include <string>

#include "protect/Feedback.h"
#include "protect/PendingFiles.h"
#include "protect/VolumeFacts.h"
#include "viewing/KeyLifetime.h"

namespace vls {

// What a show made of the plain bytes: the picture is on screen, or no picture
// could be read from it, and why in the decoder's words (empty when it had
// none).
struct ShowOutcome {
  bool shown = true;
  std::string why;
};

// Where a view shows its picture: the viewer page or the full-screen form.
class PictureShow {
 public:
  virtual ~PictureShow() = default;
  // The file is gone: an empty picture (the full-screen form shown empty).
  virtual void ShowMissing() = 0;
  // Decodes the plain bytes of a picture stored as stored_name (its
  // extension names the format) and shows it; the bytes are zeroed once this
  // returns, so the show keeps no pointer into them. The viewer page tells a
  // failed decode in its own boxes; the full-screen form keeps quiet, so a
  // slide show is never stopped by one.
  virtual ShowOutcome ShowPlainPicture(std::span<const std::uint8_t> plain,
                                       const std::string& stored_name) = 0;
};

// What a view needs of the window around it.
class ViewerWindow {
 public:
  virtual ~ViewerWindow() = default;
  // Shows a fresh decryption password dialog; the key stays empty on Cancel.
  virtual void RequestDecryptionKey() = 0;
  // Busy: hourglass, LEDs, Gauge1 shown, the file list disabled; ready: the
  // reverse.
  virtual void SetViewBusy(bool busy) = 0;
  // Before a view: the viewer's picture emptied, the status line too, and on
  // the viewer page its buttons disabled.
  virtual void PrepareView(bool on_viewer_page) = 0;
  virtual void SetStatusLine(const std::string& text) = 0;
  // After a wrong key: "&Full" and "&Delete" disabled, the status line and
  // the viewer's picture emptied.
  virtual void ForgetShownPicture() = 0;
  // The information line of the picture just shown: the stored name, width
  // x height and byte size (that of the plain bytes when nothing could be
  // shown), and whether the container was a sealed one.
  virtual void ShowPictureInfo(const std::string& stored_name, std::int64_t plain_size,
                               bool sealed) = 0;
};

// A view or a launch is running: a picture load processes pending events,
// so a click or a drop arriving then must not start a second one over the
// plain bytes or copy in use. Shared by the flows of one window.
struct FlowLock {
  bool busy = false;
};

class ViewerFlow {
 public:
  ViewerFlow(ViewerWindow& window, Feedback& feedback, VolumeFacts& volumes, KeyLifetime& keys,
             FlowLock& lock)
      : window_(window), feedback_(feedback), volumes_(volumes), keys_(keys), lock_(lock) {}

  // Views the encrypted picture at path on show (on_viewer_page: the viewer
  // page, otherwise the slide show's form). False when the file is missing
  // or the password dialog was cancelled, true in every other case.
  bool View(const std::string& path, PictureShow& show, bool on_viewer_page);

  // The path last handed to View.
  const std::string& CurrentFile() const { return current_file_; }
  // Why the last view showed no picture from a container it decrypted: "File
  // contains no data" for an empty picture, else the decoder's words. Empty
  // when a picture was shown or the view ended before (missing, wrong key...).
  const std::string& Unshown() const { return unshown_; }

 private:
  ViewerWindow& window_;
  Feedback& feedback_;
  VolumeFacts& volumes_;
  KeyLifetime& keys_;
  FlowLock& lock_;
  std::string current_file_;
  std::string unshown_;
};

// Wipes a plain copy that was shown or offered; a failure is told, and the
// copy stays listed for the next start to wipe.
void WipePlainCopy(PendingFile& plain_copy, Feedback& feedback);

// "FILE DELETED", the status line of a file gone from under the list.
inline constexpr const char* kFileDeleted = "FILE DELETED";
// Told when a picture holds nothing that could be shown.
inline constexpr const char* kNoData = "File contains no data";

}  // namespace vls
