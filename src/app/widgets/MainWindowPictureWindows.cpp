// The picture windows of the "&Viewer" page: "&Window" and the double clicks
// of the viewer's picture controls.

#include <QEvent>
#include <QPushButton>

#include "app/widgets/MainWindow.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"
#include "viewing/widgets/WindowView.h"

namespace vls {

void TFmainVLS::SetUpPictureWindows() {
  connect(View_Maximize, &QPushButton::clicked, this, [this] { View_MaximizeClick(); });
  // An animation's double click opens a window each time; a still's at most once.
  connect(View_Picture, &PictureView::DoubleClicked, this, [this] {
    if (View_Picture->IsAnimated())
      View_MaximizeClick();
    else
      View_PMultiMedia1DblClick();
  });
  connect(Preview, &TPMultiMedia::OnDblClick, this, [this] { View_PMultiMedia1DblClick(); });
}

void TFmainVLS::View_MaximizeClick() {
  // A picture without width or height (an animation, nothing shown) opens no window.
  auto* window = new TWindowView(nullptr);
  if (!window->SizePictureWindow(View_Picture->StillPicture())) {
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
