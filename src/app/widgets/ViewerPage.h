#pragma once
// The "&Viewer" page: a click on an encrypted picture (.VLP) decrypts it into
// memory and shows it from there (viewing/ViewerFlow), so no plain copy is
// ever written. While the key is armed, a strip of thumbnails of the
// folder's encrypted pictures (ThumbnailStrip) lies under the picture. The
// page holds the picture
// (View_PMultiMedia1, or GIFImage1 for an animation), "&Help", "&Delete",
// "&Window" and "&Full" (View_Butthelp, View_Delete, View_Maximize,
// View_FullScreen), the key's button and gauge (ButKeyOff, GaugeKey) and the
// blinking hint (DRLabel2). "&Window" and double clicks open picture
// windows; "&Full" shows the picture on the full-screen form.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "viewing/ViewerFlow.h"

class QProgressBar;
class QPushButton;
class QToolButton;

namespace vls {

class FullScreenShow;
class PageHost;
class PictureView;
class ThumbnailStrip;
class WindowPictureMessages;

// Where a view shows its picture: this page or the full-screen form.
enum class ViewTarget { Viewer, FullScreen };

class ViewerPage : public QWidget, private ViewerWindow, private PictureShow {
  Q_OBJECT

 public:
  ViewerPage(PageHost& host, Feedback& feedback, VolumeFacts& volumes, KeyLifetime& keys,
             FlowLock& lock, FullScreenShow& full_screen, QWidget* parent = nullptr);
  ~ViewerPage() override;

  // The page became current: the key's timer runs, the list shows pictures.
  void Activate();
  // A page switch: no picture, its buttons disabled, the key's indicators gone.
  void Reset();

  // Views the container on target: false when the file is missing or the
  // password dialog was cancelled, true in every other case.
  bool View(const QString& path, ViewTarget target);
  // The path last handed to View.
  QString CurrentFile() const;
  // The view, which the slide show runs too.
  ViewerFlow& Flow() { return flow_; }
  // A click on a container in the file list: the key counts as used.
  void ViewClicked(const QString& path);
  // Dropped files: the containers among them (ContainersAmong) are viewed;
  // each picture of several dropped at once gets a window of its own.
  void ViewDropped(const QStringList& paths);
  // The container named on the command line: the list shows pictures, and a
  // still picture opens in a window of its own too.
  void OpenNamed(const QString& path);
  // A double click on a still picture: one window per picture shown.
  void OpenWindowOnce();

  // What the key lifetime sets, through the window.
  void SetKeyIndicatorsVisible(bool visible);
  void SetKeyGauge(int progress);
  // "&Window", "&Delete" and "&Full" disabled.
  void DisableButtons();
  // No picture: the animation's frames go with the still.
  void ClearPicture();
  // The file list shows another folder: the thumbnails follow it while the
  // key is armed.
  void FolderShown();

 signals:
  // A view on this page starts: the file list highlights the file.
  void Showing(const QString& path);

 private:
  void RequestDecryptionKey() override;
  void SetViewBusy(bool busy) override;
  void PrepareView(bool on_viewer_page) override;
  void SetStatusLine(const std::string& text) override;
  void ForgetShownPicture() override;
  void ShowPictureInfo(const std::string& stored_name, std::int64_t plain_size,
                       bool sealed) override;
  void ShowMissing() override;
  ShowOutcome ShowPlainPicture(std::span<const std::uint8_t> plain,
                               const std::string& stored_name) override;
  // The thumbnails of the file list's folder, once the key is armed.
  void ShowThumbnails(bool folder_changed);

  // "&Window": a copy of the still picture in a resizable window.
  void OpenWindow();
  // "&Delete": the container shown goes to the trash.
  void DeleteShown();

  PageHost& host_;
  KeyLifetime& keys_;
  FullScreenShow& full_screen_;
  std::unique_ptr<WindowPictureMessages> messages_;
  PictureView* picture_;
  QPushButton* delete_;
  QPushButton* window_button_;
  QPushButton* full_;
  QToolButton* key_off_;
  QProgressBar* key_gauge_;
  ThumbnailStrip* strip_;
  QStringList strip_paths_;  // the pictures the strip was given
  ViewerFlow flow_;
};

}  // namespace vls
