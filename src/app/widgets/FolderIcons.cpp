#include "app/widgets/FolderIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <array>
#include <initializer_list>

namespace vls {
namespace {

// Each look is drawn on a grid of 16 by 16 units; lines run along the middle
// of a unit, so at 16 and 32 pixels they fall on whole pixels.
constexpr qreal kGrid = 16;

// The closed outline through the given corners.
QPainterPath Outline(std::initializer_list<QPointF> corners) {
  QPainterPath path;
  path.addPolygon(QPolygonF(corners));
  path.closeSubpath();
  return path;
}

void DrawFolder(QPainter& painter) {
  const QPainterPath body =
      Outline({{1.5, 2.5}, {5.5, 2.5}, {6.5, 4.5}, {14.5, 4.5}, {14.5, 13.5}, {1.5, 13.5}});
  QLinearGradient shade(0, 4, 0, 13);
  shade.setColorAt(0, QColor(0x3c, 0x82, 0xdc));
  shade.setColorAt(1, QColor(0xb4, 0xd4, 0xf6));
  painter.setPen(QPen(QColor(0x16, 0x5c, 0xba), 1));
  painter.setBrush(shade);
  painter.drawPath(body);
  // The edge of the papers inside.
  painter.setPen(QPen(Qt::white, 1));
  painter.drawLine(QPointF(2.5, 6.5), QPointF(13.5, 6.5));
}

void DrawHomeMark(QPainter& painter) {
  const QPainterPath house =
      Outline({{5, 10}, {8, 7.5}, {11, 10}, {10, 10}, {10, 12.5}, {6, 12.5}, {6, 10}});
  painter.setPen(QPen(QColor(0x16, 0x5c, 0xba), 0.75));
  painter.setBrush(Qt::white);
  painter.drawPath(house);
}

// A small arrow in a box at the lower left, as links are marked.
void DrawLinkMark(QPainter& painter) {
  painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(1.5, 8.5, 6, 6));
  painter.drawLine(QPointF(3, 13), QPointF(5.5, 10.5));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x30, 0x30, 0x30));
  painter.drawPolygon(QPolygonF({QPointF(3.5, 10), QPointF(6.5, 10), QPointF(6.5, 13)}));
}

void DrawDrive(QPainter& painter) {
  QLinearGradient shade(0, 2, 0, 14);
  shade.setColorAt(0, QColor(0xee, 0xef, 0xf3));
  shade.setColorAt(1, QColor(0xa8, 0xae, 0xbc));
  painter.setPen(QPen(QColor(0x5e, 0x68, 0x7c), 1));
  painter.setBrush(shade);
  painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
  // The platter, and the front with its light.
  painter.setPen(QPen(QColor(0x9a, 0xa2, 0xb2), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(8, 6.5), 3.5, 3);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x44, 0x4a, 0x58));
  painter.drawRect(QRectF(2, 11, 12, 3));
  painter.setBrush(QColor(0x4c, 0xd0, 0x4c));
  painter.drawRect(QRectF(11.5, 12, 1.5, 1));
}

QPixmap Draw(FolderLook look, const QSize& size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  const int side = qMin(size.width(), size.height());
  if (side <= 0)
    return pixmap;
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
  painter.scale(side / kGrid, side / kGrid);
  if (look == FolderLook::Drive) {
    DrawDrive(painter);
    return pixmap;
  }
  DrawFolder(painter);
  if (look == FolderLook::Home)
    DrawHomeMark(painter);
  else if (look == FolderLook::Link)
    DrawLinkMark(painter);
  return pixmap;
}

// Pixmaps are drawn on the window's thread when a row is painted, once per
// look, size and mode; the style shades them for the disabled and selected
// modes as it shades its own.
class DrawnFolderEngine : public QIconEngine {
 public:
  explicit DrawnFolderEngine(FolderLook look) : look_(look) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1;
    QPixmap pixmap = this->pixmap(rect.size() * ratio, mode, state);
    pixmap.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, pixmap);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const QString key = QString("vls-folder-%1-%2x%3-%4")
                            .arg(static_cast<int>(look_))
                            .arg(size.width())
                            .arg(size.height())
                            .arg(static_cast<int>(mode));
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
      return pixmap;
    pixmap = Draw(look_, size);
    if (mode == QIcon::Disabled || mode == QIcon::Selected) {
      QStyleOption option;
      option.palette = QGuiApplication::palette();
      pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }
    QPixmapCache::insert(key, pixmap);
    return pixmap;
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
    return pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
  QIconEngine* clone() const override { return new DrawnFolderEngine(look_); }

 private:
  FolderLook look_;
};

}  // namespace

QIcon DrawnFolderIcon(FolderLook look) {
  static const std::array<QIcon, 4> icons = {
      QIcon(new DrawnFolderEngine(FolderLook::Folder)),
      QIcon(new DrawnFolderEngine(FolderLook::Home)),
      QIcon(new DrawnFolderEngine(FolderLook::Link)),
      QIcon(new DrawnFolderEngine(FolderLook::Drive)),
  };
  return icons[static_cast<size_t>(look)];
}

}  // namespace vls
