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
#include "app/widgets/ViewerPage.h"
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

  if (page == kPageViewer)
    viewer_->ViewClicked(path);
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
  return viewer_->View(path, target);
}

QString TFmainVLS::CurrentViewerFile() const {
  return viewer_->CurrentFile();
}

}  // namespace vls
