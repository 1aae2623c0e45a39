#pragma once
// What a page of the main window needs of the window around it: the status
// bar, the folder file list and the filter over it, the key's timer, and the
// viewer's picture, which a launch empties. The main window implements it;
// a page never touches the window's controls.

#include <QColor>
#include <QString>
#include <QStringList>

namespace vls {

class PageHost {
 public:
  virtual ~PageHost() = default;

  // The status line (HintLb); repaint_now paints it before returning.
  virtual void SetStatusLine(const QString& text, bool repaint_now = false) = 0;
  // Busy: the red lamp and the hourglass; ready: the green lamp, no hourglass.
  virtual void SetBusy(bool busy) = 0;
  // Long work that can be cancelled begins (true) or ends (false): the
  // window answers meanwhile, and takes only "Cancel" and Escape.
  virtual void SetCancellable(bool on) = 0;
  // The status bar's gauge (Gauge1); a shown gauge is painted at once.
  virtual void SetGauge(int position) = 0;
  virtual void SetGaugeColor(const QColor& color) = 0;
  virtual void ShowGauge(bool shown) = 0;

  // The file list: the folder it shows, the files selected in it (full
  // paths, in its order), whether it takes clicks, the keyboard focus.
  virtual QString FileListFolder() const = 0;
  virtual QStringList SelectedFiles() const = 0;
  virtual void SetFileListEnabled(bool enabled) = 0;
  virtual void FocusFileList() = 0;
  // Reads the shown folder again, so new and removed files show.
  virtual void RereadFileList() = 0;
  // The list of file types over the file list, the entry shown, and the
  // mask the list shows.
  virtual void SetFilterText(const QString& text) = 0;
  virtual QString FilterDescription() const = 0;
  virtual void SetFileListMask(const QString& mask) = 0;

  // Timer1, which ages an armed key.
  virtual void SetKeyTimerEnabled(bool enabled) = 0;
  // Empties the "&Viewer" page's picture.
  virtual void ClearViewerPicture() = 0;
};

}  // namespace vls
