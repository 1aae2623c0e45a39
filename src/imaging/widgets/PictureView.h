#pragma once
// PictureView, one picture area that shows a file the way it is meant to be
// seen: a GIF with several frames plays in the animated GIF control, every
// other picture (a one-frame GIF too) is drawn by the still-picture control.
// The view chooses by the file, so its owners never look at the format.
//
// Both controls fill the view, the still one on top; exactly one of them is
// shown. They keep the object names the owner gives them (tests find them by
// name). The owner sets them up through Still() and Animation() (colour,
// fitting, messages, looping); loading, showing and emptying go through the
// view, which alone decides which control is visible.

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <span>

namespace vls {

class TGIFImage;
class TPMultiMedia;

class PictureView : public QWidget {
  Q_OBJECT

 public:
  PictureView(const QString& still_name, const QString& animation_name, QWidget* parent = nullptr);
  ~PictureView() override;

  // Shows the file: a GIF (by its extension) with several frames animates;
  // anything else goes to the still control, which reports a failed decode
  // through its PictureMessages and its progress through ProgressHook. A
  // missing or broken file leaves the view empty, the still control shown.
  // The still decode processes window events: a Load, ShowCopy or Clear
  // made meanwhile wins.
  void Load(const QString& path);
  // Shows a picture held in memory the same way: name (the picture's file
  // name) gives the kind and the status, FileSize is the number of bytes.
  // The controls keep the decoded picture or frames, nothing of bytes: the
  // caller may wipe them when this returns.
  void LoadBytes(std::span<const std::uint8_t> bytes, const QString& name);
  // Shows a copy of a picture (the pixels are shared) in the still control.
  void ShowCopy(const QImage& picture);
  // Empties the view: the animation's frames and timer, the still picture,
  // its facts and its text. The still control is shown.
  void Clear();
  // Frees the animation's frames and stops its timer, and shows the still
  // control with whatever it holds.
  void DropAnimation();

  // When on, Load also decodes an animated GIF's first frame into the hidden
  // still control, so StillPicture() and the facts below describe it. Off,
  // an animation is decoded once and the still control stays empty.
  bool FirstFrameAsStill() const { return first_frame_as_still_; }
  void SetFirstFrameAsStill(bool on) { first_frame_as_still_ = on; }

  // An animation is shown (the GIF control is visible).
  bool IsAnimated() const;
  // The still control is shown and holds a picture.
  bool ShowsStill() const;

  // The still control's picture and the facts of its latest load: width and
  // height in pixels, the file's size in bytes (0 for a copy).
  const QImage& StillPicture() const;
  int PictureWidth() const;
  int PictureHeight() const;
  std::int64_t FileSize() const;

  // The two controls, for setting them up and for reading their state.
  TPMultiMedia* Still() const { return still_; }
  TGIFImage* Animation() const { return animation_; }

  QSize sizeHint() const override;

 signals:
  // A double click on the shown control (IsAnimated() tells which). Single
  // presses are not taken: they go on to the view's parent.
  void DoubleClicked();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowAnimation(bool on);
  // Load and LoadBytes: shows the picture named name, decoded by the two calls.
  void LoadWith(const QString& name, const std::function<bool()>& load_animation,
                const std::function<void()>& load_still);

  TGIFImage* animation_;
  TPMultiMedia* still_;
  bool first_frame_as_still_ = false;
};

}  // namespace vls
