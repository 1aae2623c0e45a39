#include "viewing/ViewerFlow.h"

#include <sys/stat.h>

#include "cipher/Cipher.h"
#include "platform/AtExit.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/Container.h"
#include "protect/PathNames.h"
#include "protect/ProtectState.h"

namespace vls {
namespace {

std::int64_t SizeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

}  // namespace

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
  // The plain copy stays listed from its first byte until it is wiped; any
  // way out of here wipes it, a failure after the decryption included.
  PendingFile plain_copy;
  CryptResult result;
  try {
    result = CryptFile(
        path, kModeDecrypt, true,
        {feedback_, volumes_, on_viewer_page ? CryptPurpose::Viewer : CryptPurpose::SlideShow,
         nullptr, &plain_copy});
  } catch (const Interrupted&) {
    return true;  // the program is being stopped; the decryption cleaned up
  }
  if (result.outcome == CryptOutcome::WrongKey) {
    feedback_.ShowInformation("BAD KEY! " + path);
    keys_.Drop();
    window_.ForgetShownPicture();
    return true;
  }
  if (!result)
    return true;  // the decryption has told the user why

  AtExit wipe([this, &plain_copy] { WipePlainCopy(plain_copy, feedback_); });
  window_.SetViewBusy(false);
  keys_.ArmViewer();
  // A stored name of another type shows nothing.
  if (!IsPictureExtension(ExtensionOf(plain_copy.path())))
    return true;
  // Only the decoder can tell whether a picture is in there, however small;
  // an empty one holds none for certain and is not handed to it.
  const std::int64_t size = SizeOf(plain_copy.path());
  if (size == 0) {
    unshown_ = kNoData;
    if (on_viewer_page)
      feedback_.ShowInformation(kNoData);
  } else if (const ShowOutcome shown = show.ShowPlainCopy(plain_copy.path()); !shown.shown) {
    unshown_ = shown.why.empty() ? std::string(kNoData) : shown.why;
  }
  // The stored name itself: the folder and name together may have been cut.
  window_.ShowPictureInfo(result.stored_name, size, result.sealed);
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
