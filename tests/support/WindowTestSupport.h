#pragma once
// Helpers for the tests that drive the main window as its user does: finding
// controls by objectName, clicking buttons, switching pages, reading the work
// list and the file list through their views, waiting for the file list,
// clicking a file, and making real containers.

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/WorkList.h"
#include "app/widgets/MainWindow.h"
#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/PathNames.h"
#include "protect/ProtectState.h"
#include "support/TestSupport.h"
#include "viewing/widgets/WindowView.h"

namespace vls::test {

// The control of that name, or a fatal test error.
template <typename T>
T* Find(QWidget& window, const char* name) {
  T* widget = window.findChild<T*>(name);
  if (widget == nullptr)
    qFatal("no widget %s", name);
  return widget;
}

// Clicks the named button, check box or radio button in its middle, as the
// user would; false (and no click) when the user could not: the control is
// hidden (also by being on another page) or disabled.
inline bool Click(QWidget& window, const char* name) {
  auto* button = Find<QAbstractButton>(window, name);
  if (!button->isVisibleTo(&window) || !button->isEnabled())
    return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

// Shows the page (kPageCrypt, kPageViewer, kPageLauncher) as a click on its tab does.
inline void ShowPage(QWidget& window, int page) {
  Find<QTabWidget>(window, "TabNotebook1")->setCurrentIndex(page);
}

// What the status line says.
inline QString StatusText(QWidget& window) {
  return Find<QLabel>(window, "HintLb")->text();
}

// The key's timer.
inline QTimer& KeyTimerOf(QWidget& window) {
  auto* timer = window.findChild<QTimer*>("Timer1");
  if (timer == nullptr)
    qFatal("no timer Timer1");
  return *timer;
}

// The work list the "files" view shows.
inline TWorkList& WorkListOf(QWidget& window) {
  auto* list = dynamic_cast<TWorkList*>(Find<QTreeView>(window, "files")->model());
  if (list == nullptr)
    qFatal("the files view shows no work list");
  return *list;
}

// The names of the work list's rows, in list order.
inline QStringList RowNames(QWidget& window) {
  const TWorkList& list = WorkListOf(window);
  QStringList names;
  for (int i = 0; i < list.Count(); ++i)
    names << QFileInfo(PathText(list.PathAt(i))).fileName();
  return names;
}

inline QFileSystemModel& ModelOf(QAbstractItemView* view) {
  auto* model = qobject_cast<QFileSystemModel*>(view->model());
  if (model == nullptr)
    qFatal("%s shows no file system", qPrintable(view->objectName()));
  return *model;
}

// The file list's model ("FileListBox1") and the folder tree's ("PTShellTree1").
inline QFileSystemModel& FileModelOf(QWidget& window) {
  return ModelOf(Find<QListView>(window, "FileListBox1"));
}
inline QFileSystemModel& FolderModelOf(QWidget& window) {
  return ModelOf(Find<QTreeView>(window, "PTShellTree1"));
}

// Files the file list lists for its folder (shown or not).
inline int ListedFiles(QWidget& window) {
  return FileModelOf(window).rowCount(Find<QListView>(window, "FileListBox1")->rootIndex());
}

// Has the file list read its folder again, as the user does by going to
// another folder and back.
inline void RereadFileList(TFmainVLS& window) {
  const QString folder = window.FileListFolder();
  const QString elsewhere =
      QDir::cleanPath(folder) == QDir::rootPath() ? QDir::tempPath() : QDir::rootPath();
  window.SetFileListFolder(elsewhere);
  window.SetFileListFolder(folder);
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Shows the folder in the file list and waits until it lists the given
// number of files. The file model reads folders on its own thread and now and
// then drops a first listing made while it is still reading the program's
// folder, so the folder is read again when it stays short.
inline bool ListFolder(TFmainVLS& window, const QString& folder, int files) {
  window.SetFileListFolder(folder);
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (QTest::qWaitFor([&] { return ListedFiles(window) == files; }, 2500))
      return true;
    RereadFileList(window);
  }
  return false;
}

// Selects the named files of the shown folder in the file list, and nothing else.
inline void SelectFiles(TFmainVLS& window, const QStringList& names) {
  QItemSelectionModel* selection = Find<QListView>(window, "FileListBox1")->selectionModel();
  selection->clear();
  for (const QString& name : names) {
    const QModelIndex index =
        FileModelOf(window).index(QDir(window.FileListFolder()).filePath(name));
    selection->select(index, QItemSelectionModel::Select);
  }
}

// Clicks the file in the file list once it is listed there.
inline bool ClickFile(TFmainVLS& window, const QString& path) {
  auto* list = Find<QListView>(window, "FileListBox1");
  QModelIndex index;
  const bool listed = QTest::qWaitFor(
      [&] {
        index = FileModelOf(window).index(path);
        return index.isValid() && !list->isRowHidden(index.row()) &&
               !list->visualRect(index).isEmpty();
      },
      30000);  // the file system model lists on a thread, slow on a loaded machine
  if (!listed)
    return false;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
  return true;
}

// The picture windows on the screen (in no particular order).
inline QList<TWindowView*> PictureWindows() {
  QList<TWindowView*> windows;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<TWindowView*>(top); window != nullptr && window->isVisible())
      windows << window;
  }
  return windows;
}

// Stores bytes as the plain file name in folder and encrypts it there with
// the key; returns the container's path (the plain file is wiped).
inline QString MakeContainer(const QString& folder, const QString& name, const QByteArray& bytes,
                             const QString& key) {
  const QString plain = QDir(folder).filePath(name);
  if (!WriteBytes(plain, bytes))
    qFatal("cannot write %s", qPrintable(plain));
  SetKey(key.toStdString());
  KeepOriginals = false;
  SilentFeedback feedback;
  FixedVolumeFacts volumes;
  const bool made =
      CryptFile(PathBytes(plain), kModeEncrypt, false, {feedback, volumes, CryptPurpose::Batch})
          .done();
  DropKey();
  if (!made)
    qFatal("could not encrypt %s", qPrintable(plain));
  const bool picture = IsPictureExtension("." + QFileInfo(name).suffix().toStdString());
  return QDir(folder).filePath(QFileInfo(name).completeBaseName() + (picture ? ".vlp" : ".vld"));
}

// Points HOME and the per-user folders (settings, data, the private runtime
// folder) into dir, so a test never touches the user's own.
inline void UsePrivateHome(const QString& dir) {
  qputenv("HOME", dir.toUtf8());
  qputenv("XDG_CONFIG_HOME", (dir + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (dir + "/data").toUtf8());
  qputenv("XDG_RUNTIME_DIR", (dir + "/run").toUtf8());
  QDir().mkpath(dir + "/run");
  QFile::setPermissions(dir + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The bytes of a picture file with some detail in it (40 by 30 unless said).
inline QByteArray PictureBytes(const char* format = "BMP", int width = 40, int height = 30) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

}  // namespace vls::test
