#pragma once
// The work list's runs as the window shows them: what the batch drivers
// (protect/Batch.h) and the slide show (viewing/SlideShowFlow.h) need of the
// "En&crypt/Decrypt" page, of the window around it and of the full-screen
// form. Both read the rows of the same list.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protect/Batch.h"
#include "viewing/SlideShowFlow.h"

class QWidget;

namespace vls {

class FullScreenShow;
class PageHost;
class TWorkList;

class WorkListWindow : public BatchWindow, public SlideShowWindow {
 public:
  // disable_list_buttons: "OK" hidden, "&Clear" and "&Remove" disabled.
  WorkListWindow(QWidget& page, PageHost& host, TWorkList& rows, FullScreenShow& full_screen,
                 std::function<void()> disable_list_buttons);

  // A run reads the rows as they were shown when it began: a sort, a
  // removal or "&Clear" while it takes events cannot make it skip or repeat
  // a row. Without a run taken, the list as it is now.
  void TakeRows();
  void ReleaseRows();
  std::size_t RowCount() const override;
  std::string RowPath(std::size_t i) const override;

  void RequestEncryptionKey() override;
  void RequestDecryptionKey() override;
  void BringToFront() override;
  void SetBusy(bool busy) override;
  void DisableListButtons() override;
  void SetStatusLine(const std::string& text, bool repaint_now) override;
  void SetStatusLine(const std::string& text) override;
  void ClearList() override;
  void RereadFolder() override;

  void StepAside() override;
  SlideKey WaitForKey(int rounds) override;
  void ShowPaused(bool paused) override;
  void PutAway() override;

 private:
  QWidget& page_;
  PageHost& host_;
  TWorkList& rows_;
  FullScreenShow& full_screen_;
  std::function<void()> disable_list_buttons_;
  std::optional<std::vector<std::string>> taken_;
};

}  // namespace vls
