#include "app/widgets/RowIcons.h"

namespace vls {

QIcon RowIcons::Of(const QString& path, bool folder) {
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

}  // namespace vls
