#pragma once
// ThumbnailStrip, a row of thumbnails of the encrypted pictures of the folder
// shown, under the viewer's picture. It fills while the key is armed, from a
// worker thread (viewing/Thumbnails), and empties when the key is dropped; a
// click on a thumbnail views its picture as a click in the file list does.

#include <QHash>
#include <QListWidget>
#include <QStringList>

#include "viewing/Thumbnails.h"

namespace vls {

class ThumbnailStrip : public QListWidget {
  Q_OBJECT

 public:
  explicit ThumbnailStrip(QWidget* parent = nullptr);
  ~ThumbnailStrip() override;

  // The containers to show (in this order): one item each at once, its
  // thumbnail once made. Nothing happens without a key.
  void ShowPictures(const QStringList& paths);
  // The item of path becomes the current one (the picture shown elsewhere).
  void MarkShown(const QString& path);
  // Whether thumbnails are still being made.
  bool Busy() const { return maker_.Busy(); }

 signals:
  void PictureChosen(const QString& path);

 private:
  void ShowThumbnail(const QString& path);
  void DropAll();

  QHash<QString, QListWidgetItem*> items_;
  ThumbnailMaker maker_;
};

// The size a thumbnail fits in.
inline constexpr int kThumbnailWidth = 160;
inline constexpr int kThumbnailHeight = 120;

// The strip's decoder (a ThumbnailDecode): the picture decoded at reduced
// size into the thumbnail's pixels. Runs on the worker thread.
std::string DecodeThumbnailInto(std::span<const std::uint8_t> plain, const std::string& stored_name,
                                Thumbnail& out);

}  // namespace vls
