#pragma once
// The full-screen form of the slide show and of "&Full": frameless, black,
// on top of everything, covering the primary screen. Any key or click sets
// the slide stop flag.

#include <QWidget>

namespace vls {

class PictureView;
class TGIFImage;
class TPMultiMedia;

// Set by a key or a click on the full-screen form; the waits of the slide
// show and of the full-screen view end on it.
extern bool SlideStop;

class TFullSlide : public QWidget {
  Q_OBJECT
 public:
  explicit TFullSlide(QWidget* parent = nullptr);
  // Covers the primary screen, the picture with it.
  void FormShow();

  // The picture filling the form; it picks its still control (MultiMedia1)
  // or its GIF control (GIFImage1) for each file.
  PictureView* Picture = nullptr;
  TPMultiMedia* MultiMedia1 = nullptr;
  TGIFImage* GIFImage1 = nullptr;

 protected:
  // Presses on the picture come here too: its controls take none.
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace vls
