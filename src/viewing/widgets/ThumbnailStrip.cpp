#include "viewing/widgets/ThumbnailStrip.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "app/WorkList.h"
#include "cipher/Cipher.h"
#include "imaging/picture/Thumbnail.h"

namespace vls {

std::string DecodeThumbnailInto(std::span<const std::uint8_t> plain, const std::string& stored_name,
                                Thumbnail& out) {
  QString why;
  QImage image =
      DecodeThumbnail(plain, PathText(stored_name), QSize(kThumbnailWidth, kThumbnailHeight), &why);
  if (image.isNull())
    return why.isEmpty() ? std::string("cannot be read") : why.toStdString();
  image = image.convertToFormat(QImage::Format_ARGB32);
  out.width = image.width();
  out.height = image.height();
  out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
  for (int y = 0; y < out.height; ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    std::copy(line, line + out.width,
              out.pixels.begin() + static_cast<std::ptrdiff_t>(y) * out.width);
  }
  return {};
}

ThumbnailStrip::ThumbnailStrip(QWidget* parent)
    : QListWidget(parent),
      maker_(
          DecodeThumbnailInto,
          [this](const std::string& path) {
            // From the worker: shown on the window's thread.
            QMetaObject::invokeMethod(
                this, [this, path = PathText(path)] { ShowThumbnail(path); }, Qt::QueuedConnection);
          },
          [this] { DropAll(); }) {
  setObjectName("ThumbnailStrip");
  setAccessibleName("Thumbnails of the encrypted pictures");
  setToolTip("Click a thumbnail to view its picture");
  // A mouse's way to the pictures: the keys stay with the file list, whose
  // arrows, Enter and Page Up / Page Down step through the same pictures.
  setFocusPolicy(Qt::NoFocus);
  setViewMode(QListView::IconMode);
  setFlow(QListView::LeftToRight);
  setWrapping(false);
  setMovement(QListView::Static);
  setIconSize(QSize(kThumbnailWidth, kThumbnailHeight));
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFixedHeight(kThumbnailHeight + 2 * fontMetrics().height() + 24);
  setVisible(false);
  connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    emit PictureChosen(item->data(Qt::UserRole).toString());
  });
  connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    emit PictureChosen(item->data(Qt::UserRole).toString());
  });
}

ThumbnailStrip::~ThumbnailStrip() = default;

void ThumbnailStrip::ShowPictures(const QStringList& paths) {
  if (KeyString.empty())
    return;
  clear();
  items_.clear();
  std::vector<std::string> wanted;
  QPixmap placeholder(kThumbnailWidth, kThumbnailHeight);
  placeholder.fill(palette().color(QPalette::Mid));
  for (const QString& path : paths) {
    if (wanted.size() == kMaxThumbnails)
      break;
    auto* item = new QListWidgetItem(QIcon(placeholder), QFileInfo(path).fileName(), this);
    item->setData(Qt::UserRole, path);
    item->setToolTip(path);
    items_.insert(path, item);
    wanted.push_back(PathBytes(path));
    ShowThumbnail(path);  // one kept from before, if the file has not changed
  }
  setVisible(!items_.isEmpty());
  maker_.Start(std::move(wanted));
}

void ThumbnailStrip::MarkShown(const QString& path) {
  if (QListWidgetItem* item = items_.value(path)) {
    setCurrentItem(item);
    scrollToItem(item);
  }
}

void ThumbnailStrip::ShowThumbnail(const QString& path) {
  QListWidgetItem* item = items_.value(path);
  if (item == nullptr)
    return;
  maker_.With(PathBytes(path), [&](const Thumbnail& thumbnail) {
    if (!thumbnail.shown) {
      item->setToolTip(path + ": " + QString::fromStdString(thumbnail.why));
      return;
    }
    const QImage image(reinterpret_cast<const uchar*>(thumbnail.pixels.data()), thumbnail.width,
                       thumbnail.height, QImage::Format_ARGB32);
    // Centred on a canvas of the full size, so the names line up.
    QPixmap canvas(kThumbnailWidth, kThumbnailHeight);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawImage((kThumbnailWidth - image.width()) / 2,
                      (kThumbnailHeight - image.height()) / 2, image);
    painter.end();
    item->setIcon(QIcon(canvas));
  });
}

void ThumbnailStrip::DropAll() {
  clear();
  items_.clear();
  setVisible(false);
}

}  // namespace vls
