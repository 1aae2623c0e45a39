#include "app/widgets/FolderPane.h"

#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <vector>

#include "app/FileIterator.h"
#include "app/FilterList.h"
#include "app/WorkList.h"
#include "app/widgets/NameDelegate.h"
#include "app/widgets/RowIcons.h"
#include "platform/AnsiText.h"

namespace vls {
namespace {

// Files of a folder whose names are not UTF-8. Qt's directory listing leaves
// such names out, and the file list with it; this walk reads the names as
// bytes. Run once the list has loaded the folder, when its entries are cached.
int CountNamesNotUtf8(const QString& folder) {
  int count = 0;
  TFileIterator walk;
  walk.SetOptions(0);  // bare names of this folder only
  walk.SetRootFolder(PathBytes(folder));
  walk.OnAddFileQuery = [&count](TFileIterator&, const std::string& name, const TFileInfo&,
                                 bool& can_add) {
    count += IsValidUtf8(name) ? 0 : 1;
    can_add = false;
  };
  walk.Execute();
  return count;
}

}  // namespace

FolderPane::FolderPane(QWidget* parent)
    : QSplitter(Qt::Vertical, parent),
      folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)),
      tree_(new QTreeView),
      list_(new QListView),
      icons_(std::make_unique<NameIconProvider>()) {
  setObjectName("SplitterWnd2");
  folders_->setIconProvider(icons_.get());
  files_->setIconProvider(icons_.get());
  setHandleWidth(3);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::Drives);
  folders_->setRootPath("/");
  tree_->setObjectName("PTShellTree1");
  tree_->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column)
    tree_->hideColumn(column);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(false);
  tree_->setItemDelegate(new NameDelegate(NameDelegate::RowWidth::Name, tree_));

  files_->setFilter(QDir::Files | QDir::Hidden | QDir::System);
  files_->setNameFilterDisables(false);
  list_->setObjectName("FileListBox1");
  list_->setModel(files_);
  // Rows as wide as the list, laid out again when it is resized: a long name
  // is drawn without its middle rather than scrolled out of sight.
  list_->setItemDelegate(new NameDelegate(NameDelegate::RowWidth::View, list_));
  list_->setResizeMode(QListView::Adjust);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  addWidget(tree_);
  addWidget(list_);
  setSizes({178, 180});

  connect(files_, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
    if (QDir::cleanPath(folder) != QDir::cleanPath(folder_))
      return;
    if (const QString pending = pending_highlight_; !pending.isEmpty())
      HighlightFile(pending);
    if (const int unlisted = CountNamesNotUtf8(folder); unlisted > 0)
      emit UnlistedNames(unlisted);
  });
  // The tree's rows move while the folders above the shown one load and sort.
  connect(folders_, &QFileSystemModel::directoryLoaded, this, [this] { RevealTreeFolder(); });
  connect(folders_, &QFileSystemModel::rowsInserted, this, [this] { RevealTreeFolder(); });
  connect(folders_, &QFileSystemModel::layoutChanged, this, [this] { RevealTreeFolder(); });
  for (QObject* part : {static_cast<QObject*>(tree_), static_cast<QObject*>(tree_->viewport()),
                        static_cast<QObject*>(tree_->verticalScrollBar())})
    part->installEventFilter(this);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              SetFolder(folders_->filePath(current));
          });
  connect(list_, &QListView::clicked, this, &FolderPane::FileClicked);
  list_->installEventFilter(this);
}

FolderPane::~FolderPane() {
  // The models use the icon provider to the end.
  delete folders_;
  delete files_;
}

void FolderPane::SetMask(const QString& mask) {
  mask_ = mask;
  QStringList patterns;
  for (const auto& pattern : FilterList::SplitMask(mask.toStdString())) {
    // "*.*" means every file, also those without a dot in their name.
    patterns << (pattern == "*.*" ? QString("*") : QString::fromStdString(pattern));
  }
  files_->setNameFilters(patterns);
}

void FolderPane::SetFolder(const QString& folder) {
  if (folder.isEmpty() || folder.compare(folder_, Qt::CaseInsensitive) == 0)
    return;
  folder_ = folder;
  pending_highlight_.clear();
  list_->setRootIndex(files_->setRootPath(folder));
  emit FolderShown(folder);
}

void FolderPane::ShowFolder(const QString& folder) {
  const QModelIndex index = folders_->index(folder);
  if (!index.isValid())
    return;
  tree_->setCurrentIndex(index);
  SetFolder(folder);
  reveal_ = true;
  RevealTreeFolder();
}

void FolderPane::RevealTreeFolder() {
  if (!reveal_ || reveal_posted_)
    return;
  // After the model has sorted and the tree laid out the rows just loaded.
  reveal_posted_ = true;
  QTimer::singleShot(0, this, [this] {
    reveal_posted_ = false;
    if (reveal_ && tree_->currentIndex().isValid())
      tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
  });
}

void FolderPane::showEvent(QShowEvent* event) {
  QSplitter::showEvent(event);
  RevealTreeFolder();
}

bool FolderPane::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == list_ && type == QEvent::KeyPress) {
    const auto* press = static_cast<QKeyEvent*>(event);
    if ((press->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && ListKey(press->key()))
      return true;
  }
  // The user moves in the tree: a click, the wheel, a key that is not a
  // shortcut of the window (Alt+V switches pages).
  const bool moving_key =
      type == QEvent::KeyPress &&
      !(static_cast<QKeyEvent*>(event)->modifiers() & (Qt::AltModifier | Qt::ControlModifier));
  if (watched != list_ && (type == QEvent::MouseButtonPress || type == QEvent::Wheel || moving_key))
    reveal_ = false;
  return QSplitter::eventFilter(watched, event);
}

void FolderPane::Reread() {
  const QString folder = folder_;
  folder_.clear();
  files_->setRootPath(QString());
  SetFolder(folder);
}

void FolderPane::GoUpOneLevel() {
  const QModelIndex index = tree_->currentIndex();
  if (!index.isValid() || !index.parent().isValid())
    return;
  tree_->setCurrentIndex(index.parent());
}

QString FolderPane::CurrentFile() const {
  const QModelIndex current = list_->currentIndex();
  return current.isValid() ? files_->filePath(current) : QString();
}

QStringList FolderPane::SelectedFiles() const {
  // One entry per selected file: a selection can hold every column of a row
  // (Ctrl+A selects the size, type and date cells too), and only the name
  // column names the file.
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedIndexes()) {
    if (index.parent() == list_->rootIndex())
      rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  QStringList paths;
  for (const int row : rows) {
    const QModelIndex name = files_->index(row, 0, list_->rootIndex());
    paths << QDir(folder_).filePath(files_->fileName(name));
  }
  return paths;
}

void FolderPane::SetListEnabled(bool enabled) {
  list_->setEnabled(enabled);
}

void FolderPane::FocusList() {
  list_->setFocus();
}

bool FolderPane::ListKey(int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (list_->currentIndex().isValid())
      emit FileClicked();
    return true;
  }
  if (!PictureStepsWanted || !PictureStepsWanted())
    return false;
  if (key == Qt::Key_PageDown || key == Qt::Key_Space)
    StepPicture(+1);
  else if (key == Qt::Key_PageUp || key == Qt::Key_Backspace)
    StepPicture(-1);
  else
    return false;
  return true;
}

void FolderPane::StepPicture(int direction) {
  const QModelIndex root = list_->rootIndex();
  const QModelIndex current = list_->currentIndex();
  const int rows = files_->rowCount(root);
  int row = current.isValid() && current.parent() == root ? current.row()
            : direction > 0                               ? -1
                                                          : rows;
  for (row += direction; row >= 0 && row < rows; row += direction) {
    const QModelIndex index = files_->index(row, 0, root);
    if (!list_->isRowHidden(row) &&
        files_->fileInfo(index).suffix().compare("vlp", Qt::CaseInsensitive) == 0) {
      list_->setCurrentIndex(index);
      list_->scrollTo(index);
      emit FileClicked();
      return;
    }
  }
}

void FolderPane::HighlightFile(const QString& path) {
  QItemSelectionModel* selection = list_->selectionModel();
  pending_highlight_.clear();
  if (QDir::cleanPath(QFileInfo(path).absolutePath()) != QDir::cleanPath(folder_)) {
    selection->clear();
    return;
  }
  const QModelIndex index = files_->index(path);
  if (!index.isValid() || index.parent() != list_->rootIndex()) {
    // Not read yet (or gone): tried again once the folder is read.
    selection->clear();
    pending_highlight_ = path;
    return;
  }
  selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  list_->scrollTo(index);
}

}  // namespace vls
