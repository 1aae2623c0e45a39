// The picture windows of the "&Viewer" page: "&Window" and the double clicks
// of the viewer's picture controls.

#include <QEvent>
#include <QPushButton>

#include "app/widgets/MainWindow.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "viewing/widgets/WindowView.h"

namespace vls {

void TFmainVLS::SetUpPictureWindows() {
  connect(View_Maximize, &QPushButton::clicked, this, [this] { View_MaximizeClick(); });
  connect(View_PMultiMedia1, &TPMultiMedia::OnDblClick, this,
          [this] { View_PMultiMedia1DblClick(); });
  connect(Preview, &TPMultiMedia::OnDblClick, this, [this] { View_PMultiMedia1DblClick(); });
  GIFImage1->installEventFilter(this);
}

bool TFmainVLS::eventFilter(QObject* watched, QEvent* event) {
  if (watched == GIFImage1 && event->type() == QEvent::MouseButtonDblClick)
    View_MaximizeClick();
  return QWidget::eventFilter(watched, event);
}

void TFmainVLS::View_MaximizeClick() {
  // A picture without width or height (an animation, nothing shown) opens no window.
  auto* window = new TWindowView(nullptr);
  if (!window->SizePictureWindow(View_PMultiMedia1->Picture())) {
    delete window;
    return;
  }
  WindowView = window;
}

void TFmainVLS::View_PMultiMedia1DblClick() {
  // At most one window per shown picture from double clicks.
  if (!View_Maximize->isEnabled())
    return;
  View_MaximizeClick();
  View_Maximize->setEnabled(false);
}

}  // namespace vls
