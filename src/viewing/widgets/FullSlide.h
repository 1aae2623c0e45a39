#pragma once
// The full-screen form of the slide show and of "&Full": frameless, black,
// on top of everything, covering the primary screen. Any key or click sets
// the slide stop flag; the key is kept as the slide show reads it (Space or
// P pause, Right or Page Down the next picture, Left or Page Up the previous
// one, every other key and a click stop), and "&Full" stops on any.

#include <QWidget>

#include "viewing/SlideShowFlow.h"

class QLabel;

namespace vls {

class PictureView;
class TGIFImage;
class TPMultiMedia;

// Set by a key or a click on the full-screen form; the waits of the slide
// show and of the full-screen view end on it.
extern bool SlideStop;
// What the key or click that last set SlideStop means to the slide show.
extern SlideKey SlideStopKey;

// The slide show's meaning of a key (Qt::Key).
SlideKey SlideKeyOf(int key);

class TFullSlide : public QWidget {
  Q_OBJECT
 public:
  explicit TFullSlide(QWidget* parent = nullptr);
  // Covers the primary screen, the picture with it.
  void FormShow();
  // "Paused" on the form, over the picture.
  void SetPaused(bool paused);

  // The picture filling the form; it picks its still control (MultiMedia1)
  // or its GIF control (GIFImage1) for each file.
  PictureView* Picture = nullptr;
  TPMultiMedia* MultiMedia1 = nullptr;
  TGIFImage* GIFImage1 = nullptr;
  QLabel* PausedLb = nullptr;

 protected:
  // Presses on the picture come here too: its controls take none.
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace vls
