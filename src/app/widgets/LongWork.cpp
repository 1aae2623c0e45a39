#include "app/widgets/LongWork.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include "platform/Interruption.h"

namespace vls {
namespace {

// Events are processed at most every 30 ms: often enough for a repaint
// within a tenth of a second, rarely enough to cost the work nothing.
constexpr qint64 kPumpIntervalMs = 30;

void PumpEvents() {
  static QElapsedTimer since;
  static bool pumping = false;
  if (pumping || (since.isValid() && since.elapsed() < kPumpIntervalMs))
    return;
  pumping = true;
  QCoreApplication::processEvents();
  pumping = false;
  since.start();
}

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::KeyRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

LongWork::LongWork(QWidget& window, QAbstractButton& cancel) : window_(window), cancel_(cancel) {
  ClearCancelRequest();
  qApp->installEventFilter(this);
  SetSafePointHook(PumpEvents);
  cancel_.show();
}

LongWork::~LongWork() {
  SetSafePointHook(nullptr);
  qApp->removeEventFilter(this);
  cancel_.hide();
  ClearCancelRequest();
  if (close_after_)
    QTimer::singleShot(0, &window_, [window = &window_] { window->close(); });
}

bool LongWork::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != &window_)
    return false;  // a dialog of the work's, or not a widget
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
      RequestCancel();
    return true;
  }
  if (type == QEvent::ShortcutOverride) {
    event->accept();  // no accelerator of the window fires meanwhile
    return true;
  }
  if (type == QEvent::Close && event->spontaneous()) {
    RequestCancel();
    close_after_ = true;
    event->ignore();
    return true;
  }
  return IsUserInput(type) && widget != &cancel_;
}

}  // namespace vls
