#pragma once
// TGIFImage, the animated GIF control: it decodes GIF files with the
// program's own decoder (imaging/gif), plays their frames on a timer and
// draws the composed picture. It has no background of its own, so its
// parent shows through transparent pixels and around a smaller picture.

#include <QImage>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <span>

#include "imaging/gif/GifPlayer.h"

namespace vls {

class TGIFImage : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool Animate READ Animate WRITE SetAnimate)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(bool Center READ Center WRITE SetCenter)
  Q_PROPERTY(int CurrentFrame READ CurrentFrame WRITE SetCurrentFrame)
  Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
  Q_PROPERTY(bool Loop READ Loop WRITE SetLoop)
  Q_PROPERTY(int Speed READ Speed WRITE SetSpeed)
  Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
  Q_PROPERTY(bool Tile READ Tile WRITE SetTile)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(bool IsAnimated READ IsAnimated)

 public:
  explicit TGIFImage(QWidget* parent = nullptr);
  ~TGIFImage() override;

  // Loads the file at once. False when it does not exist or cannot be read
  // (nothing changes then) and when it is no GIF picture that can be shown
  // (the control is empty then); LastLoad() tells which.
  bool SetFileName(const QString& name);
  // Decodes a GIF held in memory, as SetFileName decodes a file (false when
  // it is no GIF picture that can be shown; the control is empty then).
  // FileName becomes name. The control keeps its decoded frames, nothing of
  // bytes: the caller may wipe them when this returns.
  bool LoadBytes(std::span<const std::uint8_t> bytes, const QString& name);
  QString FileName() const { return file_name_; }
  gif::LoadResult LastLoad() const { return last_load_; }
  // Empties the control completely: stops the animation timer, frees the
  // frames and the composed picture, forgets the file name and repaints.
  void Clear();

  bool Animate() const { return player_.Animate(); }
  void SetAnimate(bool on) { player_.SetAnimate(on); }
  bool Loop() const { return player_.Loop(); }
  void SetLoop(bool on) { player_.SetLoop(on); }
  int Speed() const { return player_.Speed(); }
  void SetSpeed(int percent) { player_.SetSpeed(percent); }
  int CurrentFrame() const { return player_.CurrentFrame(); }
  void SetCurrentFrame(int n) { player_.SetCurrentFrame(n); }

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool on);
  bool Center() const { return center_; }
  void SetCenter(bool on);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  bool Tile() const { return tile_; }
  void SetTile(bool on);
  // Draw the picture or not. Unlike QWidget::setVisible, the control stays
  // in place and keeps receiving mouse events.
  bool Visible() const { return visible_; }
  void SetVisible(bool on);

  bool IsAnimated() const { return player_.IsAnimated(); }
  bool IsEmpty() const { return player_.Empty(); }
  int FrameCount() const { return player_.FrameCount(); }
  QSize LogicalSize() const { return {player_.LogicalWidth(), player_.LogicalHeight()}; }
  // Stretch is on and the control's size differs from the picture's.
  bool Stretching() const;
  // Top-left corner of the picture when drawn at its own size: (0, 0), or
  // with Center half the size difference, rounded toward zero.
  QPoint PictureOrigin() const;
  // The control covers everything under it with its own pixels.
  bool IsOpaque() const { return DecideOpaque(); }
  // The animation timer is ticking: the animation plays and the control is
  // visible (a hidden control does not tick, and goes on when shown).
  bool TimerRunning() const { return timer_.Ticking(); }
  // The picture as drawn: premultiplied ARGB, transparent where the mask is.
  const QImage& Image() const { return image_; }
  const gif::GifPlayer& Player() const { return player_; }

 signals:
  void OnChanging();
  void OnChange();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // The animation timer on a QTimer. Running() is what the player asked for;
  // the QTimer ticks only while that holds and the control is visible.
  class Timer : public gif::AnimationTimer {
   public:
    explicit Timer(TGIFImage* owner);
    void SetInterval(int ms) override { timer_.setInterval(ms); }
    void SetRunning(bool on) override;
    bool Running() const override { return wanted_; }
    bool Ticking() const { return timer_.isActive(); }
    // Starts or stops the QTimer as the request and the visibility say.
    void Follow();
    void Pause() { timer_.stop(); }

   private:
    TGIFImage* owner_;
    QTimer timer_;
    bool wanted_ = false;
  };

  // Shows what the player decoded from name; false when it was refused.
  bool Loaded(const QString& name);
  bool DecideOpaque() const;
  // Applies a changed opaque decision and repaints the whole control, so
  // the parent is drawn again wherever the picture stopped covering it.
  // Returns whether it changed.
  bool RefreshOpaque();
  // Repaints after a change that may change the opaque decision.
  void Repaint();
  void RebuildImage();

  Timer timer_;
  gif::GifPlayer player_;
  QString file_name_;
  gif::LoadResult last_load_ = gif::LoadResult::kEmpty;
  QImage image_;
  bool auto_size_ = false, center_ = false, stretch_ = false, tile_ = false;
  bool visible_ = true;
  bool opaque_ = false;
};

}  // namespace vls
