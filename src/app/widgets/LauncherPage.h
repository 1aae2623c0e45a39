#pragma once
// The "&Launcher" page: a click on an encrypted file restores it beside its
// container and offers it to the program the desktop opens its type with
// (viewing/LauncherFlow). The page holds its help button (Launch_butthelp),
// the key's "Put the Key off" button and gauge (ButKeyOff2, GaugeKey2) and
// the blinking hint (DRLabel1).

#include <QString>
#include <QWidget>
#include <memory>

#include "viewing/LauncherFlow.h"

class QProgressBar;
class QToolButton;

namespace vls {

class PageHost;

class LauncherPage : public QWidget, private LauncherWindow {
  Q_OBJECT

 public:
  LauncherPage(PageHost& host, Feedback& feedback, VolumeFacts& volumes, KeyLifetime& keys,
               FlowLock& lock, QWidget* parent = nullptr);
  ~LauncherPage() override;

  // The page became current: the key's timer runs, the list shows containers.
  void Activate();
  // A page switch: the key's button and gauge go.
  void Reset();
  // Restores the container and offers the file to its program.
  void Launch(const QString& path);
  // Dropped files: the containers of data among them (ContainersAmong).
  void LaunchDropped(const QStringList& paths);
  // The container named on the command line: the list shows containers of
  // data, and the container is launched.
  void OpenNamed(const QString& path);

  // The key's indicators, as the key lifetime sets them.
  void SetKeyIndicatorsVisible(bool visible);
  void SetKeyGauge(int progress);

 private:
  void RequestDecryptionKey() override;
  void SetLaunchBusy(bool busy) override;
  void ClearViewerPicture() override;
  void StopKeyTimer() override;
  void SetStatusLine(const std::string& text) override;
  void RereadFolder() override;

  PageHost& host_;
  QToolButton* key_off_;
  QProgressBar* key_gauge_;
  std::unique_ptr<FileOpener> opener_;
  LauncherFlow flow_;
};

}  // namespace vls
