#include "app/widgets/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>

#include "app/WindowPosition.h"

namespace vls {

WindowPlacement::WindowPlacement(QWidget& window, QString group)
    : QObject(&window), window_(window), group_(std::move(group)) {
  window.installEventFilter(this);
}

void WindowPlacement::RememberSplitter(QSplitter& splitter) {
  splitters_ << &splitter;
}

void WindowPlacement::Restore() {
  QSettings& settings = ProgramSettings();
  // move() places the frame's corner, which is what is saved.
  if (const auto position = LoadWindowPosition(settings, group_, window_.pos()))
    window_.move(*position);
  if (auto size = LoadWindowSize(settings, group_)) {
    // A size from a larger screen, or a hand-edited one, fits this screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      size = size->boundedTo(screen->availableSize());
    window_.resize(*size);
  }
  normal_size_ = window_.size();
  for (QSplitter* splitter : splitters_) {
    const QList<int> sizes = LoadPaneSizes(settings, group_, splitter->objectName());
    if (sizes.size() == splitter->count())
      splitter->setSizes(sizes);
  }
  if (LoadWindowMaximized(settings, group_))
    window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == &window_ &&
      (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
      window_.isVisible() &&
      !(window_.windowState() &
        (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
    frame_offset_ = window_.geometry().topLeft() - window_.frameGeometry().topLeft();
    normal_size_ = window_.size();
  }
  return QObject::eventFilter(watched, event);
}

void WindowPlacement::Save() {
  // The frame's corner of the normal placement. Minimised or maximised, only
  // the normal client area is known: its corner less the frame's border as it
  // was in the normal placement.
  QPoint corner = window_.frameGeometry().topLeft();
  QSize size = window_.size();
  if (window_.isMinimized() || window_.isMaximized() || window_.isFullScreen()) {
    corner = window_.normalGeometry().topLeft() - frame_offset_;
    size = normal_size_;
  }
  QSettings& settings = ProgramSettings();
  SaveWindowSize(settings, group_, size, window_.isMaximized());
  for (QSplitter* splitter : splitters_)
    SavePaneSizes(settings, group_, splitter->objectName(), splitter->sizes());
  // Last: it writes the settings out.
  SaveWindowPosition(settings, group_, corner);
}

}  // namespace vls
