#include "app/widgets/RowIcons.h"

#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>

#include "app/widgets/FolderIcons.h"

namespace vls {
namespace {

// The icon of a file named name, looked up when it is first drawn. Its size
// is the size asked for, as the theme's and the style's file icons have, so
// laying out a list of thousands of files looks nothing up.
class TypeIconEngine : public QIconEngine {
 public:
  TypeIconEngine(std::shared_ptr<RowIcons> icons, QString name)
      : icons_(std::move(icons)), name_(std::move(name)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Resolved().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Resolved().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return Resolved().pixmap(size, scale, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
  QIconEngine* clone() const override { return new TypeIconEngine(*this); }

 private:
  const QIcon& Resolved() {
    if (!resolved_) {
      icon_ = icons_->Of(name_, false);
      resolved_ = true;
    }
    return icon_;
  }

  std::shared_ptr<RowIcons> icons_;
  QString name_;
  QIcon icon_;
  bool resolved_ = false;
};

}  // namespace

QIcon RowIcons::Of(const QString& path, bool folder) {
  if (folder)
    return DrawnFolderIcon(FolderLook::Folder);
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

QIcon NameIconProvider::icon(IconType type) const {
  if (type == Folder)
    return DrawnFolderIcon(FolderLook::Folder);
  if (type == Drive)
    return DrawnFolderIcon(FolderLook::Drive);
  return QFileIconProvider::icon(type);
}

QIcon NameIconProvider::icon(const QFileInfo& info) const {
  if (info.isRoot())
    return DrawnFolderIcon(FolderLook::Drive);
  if (info.isDir()) {
    if (info.isSymLink())
      return DrawnFolderIcon(FolderLook::Link);
    return DrawnFolderIcon(info.absoluteFilePath() == home_ ? FolderLook::Home
                                                            : FolderLook::Folder);
  }
  return QIcon(new TypeIconEngine(icons_, info.fileName()));
}

QString NameIconProvider::type(const QFileInfo& info) const {
  if (info.isDir())
    return QFileIconProvider::type(info);
  const QString suffix = info.suffix();
  return suffix.isEmpty() ? QStringLiteral("File") : suffix.toUpper() + QStringLiteral(" File");
}

}  // namespace vls
