#pragma once
// Helpers for the tests that drive the main window: finding controls,
// waiting for the file list, clicking a file, and making real containers.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QListView>
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

namespace vls::test {

// The control of that name, or a fatal test error.
template <typename T>
T* Find(QWidget& window, const char* name) {
  T* widget = window.findChild<T*>(name);
  if (widget == nullptr)
    qFatal("no widget %s", name);
  return widget;
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
    const QListView* list = Find<QListView>(window, "FileListBox1");
    if (QTest::qWaitFor([&] { return FileModelOf(window).rowCount(list->rootIndex()) == files; },
                        2500)) {
      return true;
    }
    RereadFileList(window);
  }
  return false;
}

// Clicks the file in the file list once it is listed there.
inline bool ClickFile(TFmainVLS& window, const QString& path) {
  QListView* list = window.findChild<QListView*>("FileListBox1");
  QModelIndex index;
  const bool listed = QTest::qWaitFor(
      [&] {
        index = FileModelOf(window).index(path);
        return index.isValid() && !list->isRowHidden(index.row()) &&
               !list->visualRect(index).isEmpty();
      },
      10000);
  if (!listed)
    return false;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
  return true;
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

}  // namespace vls::test
