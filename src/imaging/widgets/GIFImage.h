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
  QString FileName() const { return file_name_; }
  gif::LoadResult LastLoad() const { return last_load_; }

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
  bool TimerRunning() const { return timer_.Running(); }
  // The picture as drawn: premultiplied ARGB, transparent where the mask is.
  const QImage& Image() const { return image_; }
  const gif::GifPlayer& Player() const { return player_; }

 signals:
  void OnChanging();
  void OnChange();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The animation timer on a QTimer.
  class Timer : public gif::AnimationTimer {
   public:
    explicit Timer(TGIFImage* owner);
    void SetInterval(int ms) override { timer_.setInterval(ms); }
    void SetRunning(bool on) override;
    bool Running() const override { return timer_.isActive(); }

   private:
    QTimer timer_;
  };

  bool DecideOpaque() const;
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
