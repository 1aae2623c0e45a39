#pragma once
// A resizable picture window holding a copy of the viewer's picture. It opens
// fitted to the screen; afterwards the width is the user's and the height
// follows it. Any number may be open; each frees itself when closed.

#include <QImage>
#include <QWidget>

#include "viewing/PictureWindowSize.h"

namespace vls {

class PictureView;
class TPMultiMedia;

class TWindowView : public QWidget {
  Q_OBJECT

 public:
  static constexpr QPoint kDesignedPosition{19, 27};
  static constexpr QSize kDesignedClientSize{291, 264};

  explicit TWindowView(QWidget* parent = nullptr);

  // Copies the picture, sizes the window for it and shows it at its designed
  // position, moved and shrunk as needed to lie inside the screen's usable
  // area; returns false (and shows nothing) for a picture without width or
  // height.
  bool SizePictureWindow(const QImage& picture);

  // The copy's view and its still control.
  PictureView* Picture = nullptr;
  TPMultiMedia* MultiMedia1 = nullptr;

 protected:
  // The height follows the width after every change of size.
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The screen's area that windows may use (panels and docks left out).
  QRect AvailableArea() const;
  // Sizes and moves the window for a picture of that size inside that area,
  // framed so; false for a picture without width or height.
  bool Place(const QSize& picture, const FrameMargins& frame);
  int ScreenHeight() const;
  bool resizing_ = false;
};

}  // namespace vls
