#include "app/widgets/AfterFirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace vls {

AfterFirstPaint::AfterFirstPaint(QWidget& window, std::function<void()> work)
    : QObject(&window), window_(window), work_(std::move(work)) {
  // Every event of the program passes here until the work has run.
  QCoreApplication::instance()->installEventFilter(this);
}

void AfterFirstPaint::RunNow() {
  if (done_)
    return;
  done_ = true;
  QCoreApplication::instance()->removeEventFilter(this);
  work_();
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Paint:
      // The window's children are painted after it, in the same pass.
      if (watched == &window_ && !posted_) {
        posted_ = true;
        QTimer::singleShot(0, this, &AfterFirstPaint::RunNow);
      }
      break;
    // Whatever the user can start begins with one of these.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::DragEnter:
    case QEvent::Drop:
      RunNow();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace vls
