#pragma once
// The "En&crypt/Decrypt" page: the mode (RadioEncrypt, RadioDecrypt,
// RadioWipe, RadioSlide), the work list (the view "files" over a TWorkList)
// with "&Help", "&Clear", "&Add", "Add A&ll" and "&Remove" beside it, "OK"
// (ButtOk), which runs the mode over the list, and the preview of plain
// pictures ("View &Pictures", PreviewCheck; the box Viewer1 holding Preview).

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "app/WorkList.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace vls {

class BatchDrivers;
class Feedback;
class FullScreenShow;
class PageHost;
class PreviewBox;
class ViewerFlow;
class VolumeFacts;
class WorkListView;
class WorkListWindow;

class CryptPage : public QWidget {
  Q_OBJECT

 public:
  // viewer and full_screen: the view the slide show runs, and where it shows.
  CryptPage(PageHost& host, Feedback& feedback, VolumeFacts& volumes, ViewerFlow& viewer,
            FullScreenShow& full_screen, QWidget* parent = nullptr);
  ~CryptPage() override;

  // The page became current, or the mode changed: the key's timer stops, the
  // file list shows the mode's file types, and Encrypt and Wipe offer the
  // preview.
  void Activate();
  // Another page became current: the preview and its check box go.
  void Leave();
  // A page or mode switch: the list emptied, its buttons off, no preview.
  void Reset();
  // Dropped files and folders, each that the mode takes.
  void AddDropped(const QStringList& paths);
  // A click in the file list: the preview is emptied, then shows the file
  // when "View &Pictures" is checked, the file is a picture, and the mode is
  // not Decrypt (any_mode: whatever the mode).
  void ClearPreview();
  void PreviewClicked(const QString& path, bool any_mode);

 signals:
  // The user checked another mode.
  void ModeChanged();
  void PreviewDoubleClicked();

 private:
  WorkMode CurrentMode() const;
  // Shows "OK" and enables "&Clear" and "&Remove" when the list has rows;
  // hides and disables them when it is empty.
  void UpdateListButtons();
  void DisableListButtons();
  void AfterListChange();
  void AddSelected();
  void AddAll();
  void RemoveSelected();
  void ClearList();
  void RunMode();

  PageHost& host_;
  Feedback& feedback_;
  ViewerFlow& viewer_;
  FullScreenShow& full_screen_;
  QRadioButton* encrypt_;
  QRadioButton* decrypt_;
  QRadioButton* wipe_;
  QRadioButton* slide_;
  WorkListView* list_;
  TWorkList* rows_;
  QPushButton* clear_;
  QPushButton* remove_;
  QPushButton* ok_;
  QCheckBox* preview_check_;
  PreviewBox* preview_box_ = nullptr;
  std::unique_ptr<WorkListWindow> runs_;
  std::unique_ptr<BatchDrivers> batch_;
};

}  // namespace vls
