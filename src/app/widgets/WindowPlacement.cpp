#include "app/widgets/WindowPlacement.h"

#include <QEvent>
#include <QWidget>

#include "app/WindowPosition.h"

namespace vls {

WindowPlacement::WindowPlacement(QWidget& window, QString group)
    : QObject(&window), window_(window), group_(std::move(group)) {
  window.installEventFilter(this);
}

void WindowPlacement::Restore() {
  // move() places the frame's corner, which is what is saved.
  if (const auto position = LoadWindowPosition(ProgramSettings(), group_, window_.pos()))
    window_.move(*position);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == &window_ &&
      (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
      window_.isVisible() &&
      !(window_.windowState() &
        (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
    frame_offset_ = window_.geometry().topLeft() - window_.frameGeometry().topLeft();
  }
  return QObject::eventFilter(watched, event);
}

void WindowPlacement::Save() {
  // The frame's corner of the normal placement. Minimised or maximised, only
  // the normal client area is known: its corner less the frame's border as it
  // was in the normal placement.
  QPoint corner = window_.frameGeometry().topLeft();
  if (window_.isMinimized() || window_.isMaximized() || window_.isFullScreen())
    corner = window_.normalGeometry().topLeft() - frame_offset_;
  SaveWindowPosition(ProgramSettings(), group_, corner);
}

}  // namespace vls
