// The secure viewer of the main window: a click on a ".VLP" decrypts it into
// a plain copy in TempFolder, shows the copy and wipes it at once, so the
// picture lives on only in memory. Also the click handler of the file list on
// every page, the preview of plain pictures and "&Delete".

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusControls.h"
#include "app/widgets/WindowFeedback.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "platform/desktop/RecycleBin.h"
#include "protect/Container.h"
#include "protect/PathNames.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/Wipe.h"
#include "protect/widgets/Ask.h"
#include "viewing/ViewerLeftovers.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace vls {
namespace {

const QString kFileDeleted = "FILE DELETED";
const QString kNoData = "File contains no data";
// A plain copy this small holds no picture worth showing.
constexpr qint64 kNoDataLimit = 800;

std::string UpperExtension(const QString& path) {
  return UpperAscii(ExtensionOf(PathBytes(path)));
}

// Runs a step when the scope is left, whichever way it is left.
template <typename F>
class AtExit {
 public:
  explicit AtExit(F step) : step_(std::move(step)) {}
  ~AtExit() { step_(); }
  AtExit(const AtExit&) = delete;
  AtExit& operator=(const AtExit&) = delete;

 private:
  F step_;
};

}  // namespace

void TFmainVLS::WipeLeftoversOfEarlierRuns() {
  SilentFeedback quiet;  // nothing of this belongs on the status bar
  std::vector<std::string> failures = DisposeOfStaleLeftovers(quiet);
  for (std::string& failure : WipeViewerLeftovers(TempFolder, quiet))
    failures.push_back(std::move(failure));
  if (failures.empty())
    return;
  std::string text = "Plain copies left by an earlier run could not be wiped:";
  for (const std::string& failure : failures)
    text += "\n" + DisplayText(failure);
  // Told once the window is up.
  QTimer::singleShot(0, this, [this, text] {
    ShowMessage(this, MessageKind::Error, QString::fromStdString(text));
  });
}

void TFmainVLS::FileList1Click() {
  FileListBox1->setFocus();
  Preview->SetMediaName(QString());
  const QModelIndex current = FileListBox1->currentIndex();
  if (!current.isValid())
    return;
  const QString path = fileModel->filePath(current);
  const int page = CurrentPage();

  if (page == kPageViewer) {
    View_PMultiMedia1->SetMediaName(QString());
    keys_.Use();
    ViewEncryptedPicture(path, ViewTarget::Viewer);
    FileListBox1->setFocus();
  }
  const bool preview_page =
      (page == kPageCrypt && !RadioDecrypt->isChecked()) || page == kPageViewer;
  if (preview_page && PreviewCheck->isChecked() &&
      IsPictureExtension(ExtensionOf(PathBytes(path)))) {
    PreviewPicture(path);
  }
  if (page == kPageLauncher) {
    LaunchEncryptedFile(path);
    SetBusy(false);
    FileListBox1->setEnabled(true);
    FileListBox1->setFocus();
  }
}

void TFmainVLS::PreviewPicture(const QString& path) {
  const QFileInfo info(path);
  // A missing file goes to the picture control, which reports it.
  if (info.exists() && info.size() == 0) {
    ShowMessage(this, MessageKind::Information, kNoData);
    return;
  }
  SetBusy(true);
  FileListBox1->setEnabled(false);
  Gauge1->setBarColor(Qt::blue);
  Gauge1->setValue(0);
  Gauge1->show();
  Preview->SetMediaName(path);
  SetBusy(false);
  FileListBox1->setEnabled(true);
  FileListBox1->setFocus();
  Gauge1->setValue(0);
  Gauge1->hide();
}

void TFmainVLS::PreviewCheckClick() {
  Preview->SetMediaName(QString());
  Viewer1->setVisible(PreviewCheck->isChecked());
  if (PreviewCheck->isChecked())
    Viewer1->raise();
}

bool TFmainVLS::ViewEncryptedPicture(const QString& path, ViewTarget target) {
  // A picture load processes pending events; a drop arriving then must not
  // start a second view over the plain copy being read.
  if (viewing_)
    return true;
  const bool viewer = target == ViewTarget::Viewer;
  viewer_file_ = path;
  PlainNamePath.clear();
  if (viewer)
    DisableViewerButtons();
  View_PMultiMedia1->setVisible(true);
  GIFImage1->Clear();
  GIFImage1->hide();
  HintLb->clear();
  if (viewer)
    FileListBox1->setFocus();

  if (!QFileInfo::exists(path)) {
    if (viewer) {
      View_PMultiMedia1->SetMediaName(QString());
    } else if (full_screen_ != nullptr) {
      full_screen_->ShowMissing();
    }
    HintLb->setText(kFileDeleted);
    return false;
  }
  if (UpperExtension(path) != ".VLP")
    return true;
  if (KeyString.empty()) {
    RequestDecryptionKey(this);
    if (KeyString.empty())
      return false;
  }

  viewing_ = true;
  AtExit ready([this] {
    SetBusy(false);
    Gauge1->hide();
    FileListBox1->setEnabled(true);
    viewing_ = false;
  });
  SetBusy(true);
  Gauge1->show();
  Gauge1->repaint();
  FileListBox1->setEnabled(false);

  const std::string container = PathBytes(path);
  DecryptedPath.clear();
  // The plain copy stays listed from its first byte until it is wiped; any
  // way out of here wipes it, a failure after the decryption included.
  PendingFile plain_copy;
  bool decrypted = false;
  try {
    decrypted =
        CryptFile(container, kModeDecrypt, true,
                  {*feedback_, disk_caps_, viewer ? CryptPurpose::Viewer : CryptPurpose::SlideShow,
                   nullptr, &plain_copy})
            .done();
  } catch (const Interrupted&) {
    return true;  // the program is being stopped; the decryption cleaned up
  } catch (const std::exception& error) {
    ShowMessage(this, MessageKind::Error, QString::fromStdString(DisplayText(error.what())));
    return true;
  }

  if (WrongKey) {
    ShowMessage(this, MessageKind::Information, "BAD KEY! " + path);
    keys_.Drop();
    View_FullScreen->setEnabled(false);
    View_Delete->setEnabled(false);
    HintLb->clear();
    ClearViewerPicture();
    return true;
  }
  if (!decrypted)
    return true;  // the decryption has told the user why

  AtExit wipe([this, &plain_copy] { WipePlainCopy(plain_copy); });
  SetBusy(false);
  Gauge1->hide();
  keys_.ArmViewer();
  FileListBox1->setEnabled(true);
  View_PMultiMedia1->SetMediaName(QString());
  // A stored name of another type shows nothing.
  if (!IsPictureExtension(ExtensionOf(plain_copy.path())))
    return true;

  const QString plain = PathText(plain_copy.path());
  plain_copy_size_ = QFileInfo(plain).size();
  if (plain_copy_size_ <= kNoDataLimit) {
    ShowMessage(this, MessageKind::Information, kNoData);
  } else {
    ShowPlainCopy(plain, target);
  }
  Gauge1->setValue(0);
  ShowPictureInfo();
  return true;
}

void TFmainVLS::ShowPlainCopy(const QString& plain_copy, ViewTarget target) {
  const bool gif = UpperExtension(plain_copy) == ".GIF";
  if (target == ViewTarget::FullScreen) {
    if (full_screen_ != nullptr)
      full_screen_->ShowPicture(plain_copy, gif);
    return;
  }
  SetBusy(true);
  FileListBox1->setEnabled(false);
  Gauge1->show();
  Gauge1->repaint();
  Gauge1->setValue(0);
  Gauge1->setBarColor(Qt::blue);
  bool animated = false;
  if (gif) {
    View_PMultiMedia1->SetMediaName(plain_copy);
    animated = GIFImage1->SetFileName(plain_copy) && GIFImage1->IsAnimated();
    if (animated) {
      View_PMultiMedia1->hide();
      GIFImage1->show();
    }
  } else {
    View_PMultiMedia1->show();
    GIFImage1->hide();
    View_PMultiMedia1->SetMediaName(plain_copy);
  }
  // A window or the full screen only for a still picture that did load (a
  // failed load has been reported by the picture control).
  if (!animated && !View_PMultiMedia1->Picture().isNull()) {
    View_Maximize->setEnabled(true);
    View_FullScreen->setEnabled(true);
  }
  View_Delete->setEnabled(true);
  SetBusy(false);
  FileListBox1->setEnabled(true);
  FileListBox1->setFocus();
}

void TFmainVLS::ShowPictureInfo() {
  const QString name = PathText(FileNameOf(PlainNamePath));
  const bool shown = !View_PMultiMedia1->Picture().isNull();
  const qint64 size = shown ? View_PMultiMedia1->FileSize() : plain_copy_size_;
  HintLb->setText(QString("%1 %2x%3 %4 bytes")
                      .arg(name)
                      .arg(View_PMultiMedia1->PictureWidth())
                      .arg(View_PMultiMedia1->PictureHeight())
                      .arg(size));
}

void TFmainVLS::WipePlainCopy(PendingFile& plain_copy) {
  try {
    plain_copy.Dispose(*feedback_);
  } catch (const std::exception& error) {
    plain_copy.Abandon();  // listed still: the next start wipes it
    ShowMessage(
        this, MessageKind::Error,
        "The plain copy could not be wiped: " + QString::fromStdString(DisplayText(error.what())));
  }
}

void TFmainVLS::View_DeleteClick() {
  const QString name = QFileInfo(viewer_file_).fileName();
  if (Ask("DELETE " + name + " ?") == kAnswerYes) {
    if (DeleteToRecycleBin(viewer_file_)) {
      DisableViewerButtons();
      HintLb->clear();
      ClearViewerPicture();
      HintLb->setText(kFileDeleted);
    } else {
      // The file is still there, and so is its picture.
      ShowMessage(this, MessageKind::Error, "Cannot move " + viewer_file_ + " to the trash.");
    }
  }
  FileListBox1->setFocus();
}

}  // namespace vls
