#pragma once
// The small icon of a work-list row: a folder's, or the icon of the file's
// type as its name gives it, with the plain file icon where the theme has
// none. The name alone decides, so drawing a row never reads a file (which
// could hang on a slow mount); icons are kept per type.

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

namespace vls {

class RowIcons {
 public:
  QIcon Of(const QString& path, bool folder);

 private:
  QFileIconProvider provider_;
  QMimeDatabase types_;
  QHash<QString, QIcon> icons_;
};

}  // namespace vls
