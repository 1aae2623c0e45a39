#include "app/widgets/PreviewBox.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QVBoxLayout>

#include "app/widgets/MessageBoxes.h"
#include "app/widgets/PageHost.h"
#include "app/widgets/PageParts.h"

namespace vls {

PreviewBox::PreviewBox(PageHost& host, QWidget& page)
    : QGroupBox("Viewer", &page),
      host_(host),
      messages_(std::make_unique<WindowPictureMessages>(*this)),
      picture_(new TPMultiMedia),
      watcher_(new QFileSystemWatcher(this)) {
  setObjectName("Viewer1");
  setFixedSize(139, 120);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 3, 3, 3);
  picture_->setObjectName("Preview");
  SetUpPicture(*picture_, *messages_);
  layout->addWidget(picture_);
  move(150, 140);
  hide();
  connect(picture_, &TPMultiMedia::OnDblClick, this, &PreviewBox::DoubleClicked);
  // Written over, renamed or removed: once the name holds no file, the
  // picture shown no longer stands for anything on the disk.
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    if (path == picture_->MediaName() && !QFileInfo::exists(path))
      Clear();
  });
}

PreviewBox::~PreviewBox() = default;

void PreviewBox::ShowFile(const QString& path) {
  const QFileInfo info(path);
  if (info.exists() && info.size() == 0) {
    ShowMessage(window(), MessageKind::Information, "File contains no data");
    return;
  }
  host_.SetBusy(true);
  host_.SetFileListEnabled(false);
  host_.SetGaugeColor(Qt::blue);
  host_.SetGauge(0);
  host_.ShowGauge(true);
  Watch(QString());
  picture_->SetMediaName(path);
  if (!picture_->Picture().isNull())
    Watch(path);
  host_.SetBusy(false);
  host_.SetFileListEnabled(true);
  host_.FocusFileList();
  host_.SetGauge(0);
  host_.ShowGauge(false);
}

void PreviewBox::Clear() {
  Watch(QString());
  picture_->SetMediaName(QString());
}

void PreviewBox::Watch(const QString& path) {
  if (const QStringList watched = watcher_->files(); !watched.isEmpty())
    watcher_->removePaths(watched);
  if (!path.isEmpty())
    watcher_->addPath(path);
}

}  // namespace vls
