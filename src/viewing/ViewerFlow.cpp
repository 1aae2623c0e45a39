#include "viewing/ViewerFlow.h"

#include <optional>

#include "cipher/Cipher.h"
#include "platform/AtExit.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/ContainerFormat.h"
#include "protect/MemoryDecrypt.h"
#include "protect/PathNames.h"
#include "protect/ProtectState.h"

namespace vls {

bool ViewerFlow::View(const std::string& path, PictureShow& show, bool on_viewer_page) {
  if (lock_.busy)
    return true;
  current_file_ = path;
  unshown_.clear();
  PlainNamePath.clear();
  window_.PrepareView(on_viewer_page);

  if (!PathExists(path)) {
    show.ShowMissing();
    window_.SetStatusLine(kFileDeleted);
    return false;
  }
  if (UpperAscii(ExtensionOf(FileNameOf(path))) != ".VLP")
    return true;
  if (KeyString.empty()) {
    window_.RequestDecryptionKey();
    if (KeyString.empty())
      return false;
  }

  lock_.busy = true;
  AtExit ready([this] {
    window_.SetViewBusy(false);
    lock_.busy = false;
  });
  window_.SetViewBusy(true);
  CryptSourcePath = path;
  // The plain bytes live in memory only, and are zeroed on every way out.
  PlainInMemory plain;
  try {
    CurrentKey key;
    std::optional<ProgressGauge> gauge;
    std::uint64_t counted = 0;
    plain = DecryptIntoMemory(path, key, [&](std::uint64_t done, std::uint64_t total) {
      if (!gauge)
        gauge.emplace(feedback_, total);
      gauge->SentInSegments(done - counted);
      counted = done;
      ThrowIfInterrupted();
    });
  } catch (const Interrupted&) {
    return true;  // the program is being stopped, or the user cancelled
  }
  feedback_.SetGaugePosition(0);
  WrongKey = plain.outcome == CryptOutcome::WrongKey;
  if (WrongKey) {
    ++WrongKeyCount;
    feedback_.ShowInformation("BAD KEY! " + path);
    keys_.Drop();
    window_.ForgetShownPicture();
    return true;
  }
  if (!plain.done()) {
    feedback_.ShowError(plain.message);
    return true;
  }

  PlainNamePath = CutTo255(FolderOf(path) + plain.stored_name);
  window_.SetViewBusy(false);
  keys_.ArmViewer();
  // A stored name of another type shows nothing.
  if (!IsPictureExtension(ExtensionOf(plain.stored_name)))
    return true;
  // Only the decoder can tell whether a picture is in there, however small;
  // an empty one holds none for certain and is not handed to it.
  const auto size = static_cast<std::int64_t>(plain.bytes.size());
  if (size == 0) {
    unshown_ = kNoData;
    if (on_viewer_page)
      feedback_.ShowInformation(kNoData);
  } else if (const ShowOutcome shown = show.ShowPlainPicture(plain.bytes.span(), plain.stored_name);
             !shown.shown) {
    unshown_ = shown.why.empty() ? std::string(kNoData) : shown.why;
  }
  // The stored name itself: the folder and name together may have been cut.
  window_.ShowPictureInfo(plain.stored_name, size, plain.sealed);
  return true;
}

void WipePlainCopy(PendingFile& plain_copy, Feedback& feedback) {
  try {
    plain_copy.Dispose(feedback);
  } catch (const std::exception& error) {
    plain_copy.Abandon();  // listed still: the next start wipes it
    feedback.ShowError("The plain copy could not be wiped: " + DisplayText(error.what()));
  }
}

}  // namespace vls
