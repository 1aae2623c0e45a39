#pragma once
// TPMultiMedia, the still-picture control: setting MediaName loads a picture
// file through the picture loader, and the control draws that one decoded
// picture on its background colour, scaled to fit when asked. Load failures
// reach the user through PictureMessages (message boxes unless replaced).

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <span>

#include "imaging/picture/PictureLoader.h"

namespace vls {

// Where the control reports a failed load.
class PictureMessages {
 public:
  virtual ~PictureMessages() = default;
  virtual void ShowError(const QString& text) = 0;
  virtual void ShowInformation(const QString& text) = 0;
};

// Modal message boxes with one OK button ("Erreur" and "Information").
class BoxPictureMessages : public PictureMessages {
 public:
  explicit BoxPictureMessages(QWidget* parent) : parent_(parent) {}
  void ShowError(const QString& text) override;
  void ShowInformation(const QString& text) override;

 private:
  QWidget* parent_;
};

class TPMultiMedia : public QWidget {
  Q_OBJECT

 public:
  explicit TPMultiMedia(QWidget* parent = nullptr);
  ~TPMultiMedia() override;

  // Loads the named file at once; an empty name empties the display.
  const QString& MediaName() const { return media_name_; }
  void SetMediaName(const QString& name);
  // Loads a picture held in memory at once, as SetMediaName loads a file:
  // name (the picture's file name) chooses the decoder and gives the status,
  // FileSize is the number of bytes, and MediaName is emptied (no file). The
  // bytes are only read during the call (the caller may wipe them when it
  // returns); only when the library is busy below the call is a copy kept
  // for the retry, and wiped once it is done.
  void LoadBytes(std::span<const std::uint8_t> bytes, const QString& name);

  // The picture shown (null when empty). Setting it shows a copy of another
  // control's picture; the pixels are shared, not duplicated.
  const QImage& Picture() const { return picture_; }
  void SetPicture(const QImage& picture);

  // Facts of the latest load: the status text ("file not found", "Non TIF,
  // JPeg, BMP, GIF, PNG or PCX Image" or the file name in upper case), the
  // picture's width and height in pixels and the file's size in bytes.
  const QString& Status() const { return status_; }
  int PictureWidth() const { return picture_.width(); }
  int PictureHeight() const { return picture_.height(); }
  std::int64_t FileSize() const { return file_size_; }

  // A line of text drawn over the picture.
  const QString& Text() const { return text_; }
  void SetText(const QString& text);

  // Fit inside the control, proportions kept, centred. Excludes Stretch.
  bool StretchRatio() const { return stretch_ratio_; }
  void SetStretchRatio(bool on);
  // Fill the control, proportions ignored. Excludes StretchRatio.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);

  const QColor& Color() const { return color_; }
  void SetColor(const QColor& color);

  bool ImageDither() const { return dither_; }
  void SetImageDither(bool on) { dither_ = on; }
  LoadResolution ImageReadRes() const { return read_res_; }
  void SetImageReadRes(LoadResolution resolution) { read_res_ = resolution; }
  // The colour depth a load asks for, from ImageReadRes and the display.
  int ColorDepth() const;

  // Replaces the message boxes (tests record the messages instead). The
  // control does not own it; null restores the boxes.
  void SetMessages(PictureMessages* messages);

  // Where the picture is drawn inside the control (empty when there is none).
  QRect PictureRect() const;

  QSize sizeHint() const override { return {160, 120}; }

 signals:
  void OnDblClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Clear();
  void StopRunningLoad();
  using LoadProc = std::function<LoadedPicture(const LoadOptions&)>;
  // Starts a new load: the running one stops and the old picture goes. Then
  // runs `load` (none: the display stays empty) with this control's options
  // and shows its result, unless a later load or picture superseded it.
  // Returns the load's ticket when the library was busy below this call
  // (nothing shown; the load is to be retried), otherwise 0.
  std::uint64_t RunLoad(const LoadProc& load);
  // Runs retry once the running decode is over, unless a later load or
  // picture superseded the ticket's.
  void RetryLater(std::uint64_t ticket, std::function<void()> retry);

  QString media_name_;
  std::uint64_t load_ticket_ = 0;  // counts names set, to drop superseded loads
  bool* running_stop_ = nullptr;   // stop flag of the load in progress
  QImage picture_;
  QString status_;
  std::int64_t file_size_ = 0;
  QString text_;
  bool stretch_ratio_ = false;
  bool stretch_ = false;
  QColor color_ = Qt::black;
  bool dither_ = false;
  LoadResolution read_res_ = LoadResolution::AutoMatic;
  BoxPictureMessages boxes_;
  PictureMessages* messages_;
};

}  // namespace vls
