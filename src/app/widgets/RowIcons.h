#pragma once
// The small icon of a work-list row or of an entry of the folder pane: a
// folder's, or the icon of the file's type as its name gives it, with the
// plain file icon where the theme has none. The name alone decides, so
// drawing a row never reads a file (which could hang on a slow mount);
// icons are kept per type.

#include <QDir>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>
#include <memory>

namespace vls {

class RowIcons {
 public:
  QIcon Of(const QString& path, bool folder);

 private:
  QFileIconProvider provider_;
  QMimeDatabase types_;
  QHash<QString, QIcon> icons_;
};

// The folder pane's icons. Qt's own provider looks up the type of every file
// of a folder it reads, on the window's thread and from the file's contents:
// tens of milliseconds before the first paint, seconds for a large folder.
// Here a file's icon is found from its name, as the work list's are, and
// only when a row is drawn. Folders, the home folder, links to folders and
// the root drive get icons drawn in code, which load no pictures.
// The type column, which no view shows, names the extension.
class NameIconProvider : public QFileIconProvider {
 public:
  QIcon icon(IconType type) const override;
  QIcon icon(const QFileInfo& info) const override;
  QString type(const QFileInfo& info) const override;

 private:
  std::shared_ptr<RowIcons> icons_ = std::make_shared<RowIcons>();
  QString home_ = QDir::homePath();
};

}  // namespace vls
