#pragma once
// The full-screen form of the slide show and of "&Full": frameless, black,
// on top of everything, covering the primary screen. Any key or click sets
// the slide stop flag.

#include <QWidget>

namespace vls {

// Set by a key or a click on the full-screen form; the waits of the slide
// show and of the full-screen view end on it.
extern bool SlideStop;

class TFullSlide : public QWidget {
  Q_OBJECT
 public:
  explicit TFullSlide(QWidget* parent = nullptr);
  // Covers the primary screen.
  void FormShow();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace vls
