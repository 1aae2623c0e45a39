#include "app/widgets/FileDrag.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/WorkList.h"

namespace vls {

namespace {

// The path of a file URL as the bytes the system gave: its percent-encoded
// path decoded byte for byte (toLocalFile would replace bytes that are not
// UTF-8, which then names a file that does not exist). Empty for other URLs,
// for a file on another host, for a relative path and for a path holding a
// NUL byte, which would name a different file.
QString LocalPath(const QUrl& url) {
  if (!url.isLocalFile())
    return {};
  if (const QString host = url.host();
      !host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0) {
    return {};
  }
  const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  if (!bytes.startsWith('/') || bytes.contains('\0'))
    return {};
  return PathText(bytes.toStdString());
}

// The local paths of the file URLs a drag carries, in their order.
QStringList LocalPaths(const QMimeData* mime) {
  QStringList paths;
  if (mime == nullptr || !mime->hasUrls())
    return paths;
  for (const QUrl& url : mime->urls()) {
    if (const QString path = LocalPath(url); !path.isEmpty())
      paths << path;
  }
  return paths;
}

}  // namespace

TFileDrag::TFileDrag(QWidget* owner) : QObject(owner), owner_(owner) {
  if (owner_ != nullptr) {
    owner_->installEventFilter(this);
    // A widget signals its end before it frees its children: from then on
    // the owner is not touched.
    connect(owner_, &QObject::destroyed, this, [this] { owner_ = nullptr; });
  }
  SetEnableDrop(false);
}

TFileDrag::~TFileDrag() {
  if (owner_ != nullptr) {
    owner_->removeEventFilter(this);
    owner_->setAcceptDrops(false);
  }
}

void TFileDrag::SetEnableDrop(bool enable) {
  enable_drop_ = enable && owner_ != nullptr;
  if (owner_ != nullptr)
    owner_->setAcceptDrops(enable_drop_);
}

void TFileDrag::HandleDrop(const QStringList& paths) {
  name_with_path_.clear();
  name_only_.clear();
  extension_.clear();
  file_count_ = static_cast<int>(paths.size());
  for (const QString& path : paths) {
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    name_with_path_ << path;
    name_only_ << name;
    extension_ << (dot < 0 ? QString() : name.mid(dot + 1));
  }
  if (OnDrop)
    OnDrop(*this);
}

bool TFileDrag::eventFilter(QObject* watched, QEvent* event) {
  if (watched != owner_ || !enable_drop_)
    return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (LocalPaths(drag->mimeData()).isEmpty())
        return false;
      drag->setDropAction(Qt::CopyAction);
      drag->accept();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList paths = LocalPaths(drop->mimeData());
      if (paths.isEmpty())
        return false;
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      HandleDrop(paths);
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace vls
