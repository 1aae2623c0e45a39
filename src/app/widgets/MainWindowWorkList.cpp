// The work list of the main window: "&Add", "Add A&ll", "&Remove", "&Clear",
// drops from the desktop, and "OK" with the batch drivers behind it.

#include <QApplication>
#include <QComboBox>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QMimeDatabase>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/FileIterator.h"
#include "app/widgets/LauncherPage.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/StatusControls.h"
#include "app/widgets/ViewerPage.h"
#include "app/widgets/WindowBatch.h"
#include "app/widgets/WindowFeedback.h"
#include "cipher/Cipher.h"
#include "protect/Batch.h"
#include "protect/widgets/Ask.h"

namespace vls {
namespace {

// The small icon of a work-list row: a folder's, or the icon of the file's
// type as its name gives it, with the icon provider's plain file icon where
// the theme has none. The name alone decides, so drawing a row never reads
// a file (which could hang on a slow mount); icons are kept per type.
class RowIcons {
 public:
  QIcon Of(const QString& path, bool folder) {
    if (folder)
      return provider_.icon(QAbstractFileIconProvider::Folder);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const QMimeType type = types_.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    auto known = icons_.constFind(type.name());
    if (known != icons_.constEnd())
      return *known;
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull())
      icon = provider_.icon(QAbstractFileIconProvider::File);
    icons_.insert(type.name(), icon);
    return icon;
  }

 private:
  QFileIconProvider provider_;
  QMimeDatabase types_;
  QHash<QString, QIcon> icons_;
};

}  // namespace

void TFmainVLS::SetUpWorkList() {
  batch_window_ = std::make_unique<WindowBatch>(*this);
  batch_ = std::make_unique<BatchDrivers>(*batch_window_, *feedback_, disk_caps_);
  filesModel->StatusLine = [this](const QString& line) {
    HintLb->setText(line);
    HintLb->repaint();
  };
  filesModel->IconOf = [icons = std::make_shared<RowIcons>()](const QString& path, bool folder) {
    return QVariant(icons->Of(path, folder));
  };
  connect(Add, &QPushButton::clicked, this, [this] { Btn_AddClick(); });
  connect(AddALL, &QPushButton::clicked, this, [this] { Btn_AddALLClick(); });
  connect(Btn_Remove, &QPushButton::clicked, this, [this] { Btn_RemoveClick(); });
  connect(Btn_Clear, &QPushButton::clicked, this, [this] { Btn_ClearClick(); });
  connect(ButtOk, &QPushButton::clicked, this, [this] { ButtOkClick(); });
}

WorkMode TFmainVLS::CurrentMode() const {
  if (RadioEncrypt->isChecked())
    return WorkMode::Encrypt;
  if (RadioDecrypt->isChecked())
    return WorkMode::Decrypt;
  if (RadioWipe->isChecked())
    return WorkMode::Wipe;
  return WorkMode::SlideShow;
}

void TFmainVLS::UpdateListButtons() {
  const bool rows = !filesModel->Empty();
  ButtOk->setVisible(rows);
  Btn_Clear->setEnabled(rows);
  Btn_Remove->setEnabled(rows);
}

void TFmainVLS::AfterListChange() {
  UpdateListButtons();
  HintLb->setText(filesModel->Summary());
  FileListBox1->setFocus();
}

void TFmainVLS::Btn_AddClick() {
  const QString folder = FileListFolder();
  if (folder.isEmpty())
    return;
  // One entry per selected file: a selection can hold every column of a row
  // (Ctrl+A selects the size, type and date cells too), and only the name
  // column names the file.
  std::vector<int> rows;
  for (const QModelIndex& index : FileListBox1->selectionModel()->selectedIndexes()) {
    if (index.parent() == FileListBox1->rootIndex())
      rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  const WorkMode mode = CurrentMode();
  {
    TWorkList::Batch quiet(*filesModel);
    for (const int row : rows) {
      const QModelIndex name = fileModel->index(row, 0, FileListBox1->rootIndex());
      const QString path = QDir(folder).filePath(fileModel->fileName(name));
      if (AcceptForAdd(mode, PathBytes(path)))
        filesModel->AddEntry(path, mode);
    }
  }
  AfterListChange();
}

void TFmainVLS::Btn_AddALLClick() {
  const QString folder = FileListFolder();
  if (folder.isEmpty())
    return;
  const int answer = Ask(QString("Include Sub-Directories ?"));
  if (answer == kAnswerCancel)
    return;
  const WorkMode mode = CurrentMode();
  const std::string filter = FilterComboBox1->currentText().toStdString();
  {
    TWorkList::Batch quiet(*filesModel);
    // Painted before the walk, which paints nothing until it adds a file.
    HintLb->setText("Browsing Directories...");
    SetBusy(true);
    repaint();
    TFileIterator iterator;
    iterator.SetOptions(fiPath | fiDetails | (answer == kAnswerYes ? fiRecurseFolders : 0u));
    iterator.SetRootFolder(PathBytes(folder));
    iterator.OnAddFileQuery = [&](TFileIterator&, const std::string& path, const TFileInfo&,
                                  bool& can_add) { can_add = AcceptForMode(mode, filter, path); };
    iterator.OnAddFile = [&](TFileIterator&, const std::string& path, const TFileInfo& info) {
      filesModel->AddEntry(path, mode, &info);
    };
    try {
      iterator.Execute();
    } catch (const std::exception& error) {
      feedback_->ShowError(error.what());
    }
    SetBusy(false);
  }
  AfterListChange();
}

void TFmainVLS::Btn_RemoveClick() {
  std::vector<int> rows;
  for (const QModelIndex& index : files->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  filesModel->RemoveRows(rows);
  AfterListChange();
}

void TFmainVLS::Btn_ClearClick() {
  HintLb->clear();
  filesModel->Clear();
  UpdateListButtons();
  FileListBox1->setFocus();
}

void TFmainVLS::FileDrag1Drop(const QStringList& paths) {
  const int page = CurrentPage();
  if (page == kPageCrypt) {
    const WorkMode mode = CurrentMode();
    for (const QString& path : paths) {
      if (AcceptForDrop(mode, PathBytes(path)))
        filesModel->AddEntry(path, mode);
      UpdateListButtons();
    }
  } else {
    const QString wanted = page == kPageViewer ? "VLP" : "VLD";
    for (const QString& path : paths.mid(0, 5)) {
      if (QFileInfo(path).suffix().compare(wanted, Qt::CaseInsensitive) != 0)
        continue;
      if (page == kPageViewer) {
        viewer_->ViewDropped(path, paths.size() > 1);
      } else {
        launcher_->Launch(path);
      }
    }
  }
  SetBusy(false);
  FileListBox1->setEnabled(true);
  FileListBox1->setFocus();
}

void TFmainVLS::ButtOkClick() {
  switch (CurrentMode()) {
    case WorkMode::Encrypt:
      batch_->EncryptAll();
      break;
    case WorkMode::Decrypt:
      batch_->DecryptAll();
      break;
    case WorkMode::Wipe:
      batch_->WipeAll();
      break;
    case WorkMode::SlideShow:
      RunSlideShow();
      break;
  }
}

}  // namespace vls
