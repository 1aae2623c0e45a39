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

#include "app/widgets/LauncherPage.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusControls.h"
#include "app/widgets/WindowFeedback.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "platform/desktop/Associations.h"
#include "platform/desktop/RecycleBin.h"
#include "protect/Container.h"
#include "protect/PathNames.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/ViewerLeftovers.h"
#include "protect/Wipe.h"
#include "protect/widgets/Ask.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace vls {
namespace {

const QString kNoData = "File contains no data";

// The viewer page as the place a view shows its picture.
class ViewerPageShow : public PictureShow {
 public:
  explicit ViewerPageShow(TFmainVLS& window) : w_(window) {}
  void ShowMissing() override { w_.View_Picture->Clear(); }
  void ShowPlainCopy(const std::string& plain_copy_bytes) override {
    w_.SetViewBusy(true);
    w_.Gauge1->setValue(0);
    w_.Gauge1->setBarColor(Qt::blue);
    w_.View_Picture->Load(PathText(plain_copy_bytes));
    // A window or the full screen only for a still picture that did load (a
    // failed load has been reported by the picture control).
    if (w_.View_Picture->ShowsStill()) {
      w_.View_Maximize->setEnabled(true);
      w_.View_FullScreen->setEnabled(true);
    }
    w_.View_Delete->setEnabled(true);
    w_.SetBusy(false);
    w_.FileListBox1->setEnabled(true);
    w_.FileListBox1->setFocus();
  }

 private:
  TFmainVLS& w_;
};

// A full-screen view without a form: decrypts, shows nothing, wipes.
class NoShow : public PictureShow {
 public:
  void ShowMissing() override {}
  void ShowPlainCopy(const std::string&) override {}
};

}  // namespace

void TFmainVLS::SetUpViewing() {
  viewer_show_ = std::make_unique<ViewerPageShow>(*this);
  full_slide_show_ = std::make_unique<NoShow>();
  viewer_flow_ = std::make_unique<ViewerFlow>(*this, *feedback_, disk_caps_, keys_, flow_lock_);
}

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
    View_Picture->Clear();
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
    launcher_->Launch(path);
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
  const bool on_page = target == ViewTarget::Viewer;
  return viewer_flow_->View(PathBytes(path), on_page ? *viewer_show_ : *full_slide_show_, on_page);
}

void TFmainVLS::RequestDecryptionKey() {
  vls::RequestDecryptionKey(this);
}

void TFmainVLS::SetViewBusy(bool busy) {
  SetBusy(busy);
  Gauge1->setVisible(busy);
  if (busy)
    Gauge1->repaint();
  FileListBox1->setEnabled(!busy);
}

void TFmainVLS::PrepareView(bool on_viewer_page) {
  if (on_viewer_page)
    DisableViewerButtons();
  ClearViewerPicture();
  HintLb->clear();
  if (on_viewer_page)
    FileListBox1->setFocus();
}

void TFmainVLS::SetStatusLine(const std::string& text) {
  HintLb->setText(QString::fromStdString(text));
}

void TFmainVLS::ForgetShownPicture() {
  View_FullScreen->setEnabled(false);
  View_Delete->setEnabled(false);
  HintLb->clear();
  ClearViewerPicture();
}

void TFmainVLS::ShowPictureInfo(const std::string& stored_name, std::int64_t plain_copy_size) {
  const bool shown = !View_Picture->StillPicture().isNull();
  const qint64 size = shown ? View_Picture->FileSize() : plain_copy_size;
  Gauge1->setValue(0);
  HintLb->setText(QString("%1 %2x%3 %4 bytes")
                      .arg(PathText(stored_name))
                      .arg(View_Picture->PictureWidth())
                      .arg(View_Picture->PictureHeight())
                      .arg(size));
}

void TFmainVLS::View_DeleteClick() {
  const QString file = CurrentViewerFile();
  const QString name = QFileInfo(file).fileName();
  if (Ask("DELETE " + name + " ?") == kAnswerYes) {
    if (DeleteToRecycleBin(file)) {
      DisableViewerButtons();
      HintLb->clear();
      ClearViewerPicture();
      HintLb->setText(kFileDeleted);
    } else {
      // The file is still there, and so is its picture.
      ShowMessage(this, MessageKind::Error, "Cannot move " + file + " to the trash.");
    }
  }
  FileListBox1->setFocus();
}

}  // namespace vls
