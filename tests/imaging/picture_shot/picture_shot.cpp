// Shows a wide and a tall picture in two picture controls (black, fitted with
// their proportions kept) and saves a capture of the window from the screen.
//   picture_shot OUTPUT.png

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "imaging/widgets/PMultiMedia.h"

namespace {

// A landscape: sky, sun, hills and a frame, so scaling and centring show.
QImage Landscape(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor(40, 90, 200));
  sky.setColorAt(1, QColor(250, 200, 140));
  painter.fillRect(image.rect(), sky);
  painter.setBrush(QColor(255, 230, 90));
  painter.setPen(Qt::NoPen);
  const int sun = std::min(width, height) / 4;
  painter.drawEllipse(QPoint(width * 3 / 4, height / 3), sun / 2, sun / 2);
  QPainterPath hills;
  hills.moveTo(0, height);
  hills.cubicTo(width * 0.3, height * 0.55, width * 0.6, height * 0.95, width, height * 0.7);
  hills.lineTo(width, height);
  painter.setBrush(QColor(60, 140, 70));
  painter.drawPath(hills);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 4));
  painter.drawRect(image.rect().adjusted(2, 2, -2, -2));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: picture_shot OUTPUT.png\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  QTemporaryDir folder;
  const QString wide = folder.filePath("wide.jpg");
  const QString tall = folder.filePath("tall.png");
  if (!Landscape(640, 240).save(wide) || !Landscape(200, 480).save(tall))
    return 1;

  QWidget window;
  window.setWindowTitle(QStringLiteral("Picture control"));
  auto* layout = new QHBoxLayout(&window);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(8);
  for (const QString& file : {wide, tall}) {
    auto* control = new vls::TPMultiMedia(&window);
    control->setObjectName(QStringLiteral("MultiMedia1"));
    control->SetStretchRatio(true);
    control->SetImageDither(true);
    control->SetColor(Qt::black);
    control->SetMediaName(file);
    control->setFixedSize(220, 200);
    layout->addWidget(control);
  }
  window.move(0, 0);
  window.show();

  int status = 1;
  QTimer::singleShot(1000, [&] {
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    status = shot.save(output) ? 0 : 1;
    app.quit();
  });
  app.exec();
  return status;
}
