#pragma once
// The folder tree (PTShellTree1) over the file list (FileListBox1), in the
// splitter SplitterWnd2. The tree picks the folder the list shows; the mask
// picks which of its files it shows, without regard to case. In the list,
// Enter counts as a click on the highlighted file, and where the window
// wants it, Page Down and Space click the next encrypted picture (.vlp) of
// the list, Page Up and Backspace the previous one.

#include <QSplitter>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QFileSystemModel;
class QListView;
class QTreeView;

namespace vls {

class NameIconProvider;

class FolderPane : public QSplitter {
  Q_OBJECT

 public:
  explicit FolderPane(QWidget* parent = nullptr);
  ~FolderPane() override;

  // "*.VLP;*.VLD"; "*.*" is every file, also those without a dot.
  QString Mask() const { return mask_; }
  void SetMask(const QString& mask);
  // The folder the list shows; a folder differing only in case is the same.
  QString Folder() const { return folder_; }
  void SetFolder(const QString& folder);
  // Selects the folder in the tree, which lists it.
  void ShowFolder(const QString& folder);
  // Reads the shown folder again, so new and removed files show.
  void Reread();
  // Selects the parent of the tree's folder; the top has none.
  void GoUpOneLevel();

  // The file of the list's current row; "" without one.
  QString CurrentFile() const;
  // The files selected in the list, in the list's order.
  QStringList SelectedFiles() const;
  void SetListEnabled(bool enabled);
  void FocusList();
  // Highlights the file's row (and no other) when the list shows its
  // folder, once the folder is read; otherwise no row is highlighted.
  void HighlightFile(const QString& path);
  // Asked at each press: whether the keys step through the pictures.
  std::function<bool()> PictureStepsWanted;

 signals:
  void FileClicked();
  // The list shows another folder.
  void FolderShown(const QString& folder);
  // The shown folder holds files the list leaves out: Qt's listing skips
  // names that are not UTF-8.
  void UnlistedNames(int count);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Scrolls the tree to its folder, as its parents load, until the user
  // takes the tree in hand.
  void RevealTreeFolder();
  // A key pressed in the list: true when it was taken here.
  bool ListKey(int key);
  // Clicks the next (+1) or previous (-1) encrypted picture in the list's
  // order; at either end nothing happens.
  void StepPicture(int direction);

  QFileSystemModel* folders_;
  QFileSystemModel* files_;
  QTreeView* tree_;
  QListView* list_;
  // Names the icons of both models, which the destructor removes first.
  std::unique_ptr<NameIconProvider> icons_;
  QString mask_ = "*.*";
  QString folder_;
  bool reveal_ = false;
  bool reveal_posted_ = false;
  // The file to highlight once the list has read its folder.
  QString pending_highlight_;
};

}  // namespace vls
