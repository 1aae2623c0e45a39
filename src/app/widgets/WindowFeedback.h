#pragma once
// The main window's side of the file routines: the status bar's gauge and
// status line, the question dialog and the message boxes.

#include "protect/Feedback.h"

class QWidget;

namespace vls {

class StatusBar;

class WindowFeedback : public Feedback {
 public:
  // window: the parent of the message boxes.
  WindowFeedback(StatusBar& status, QWidget& window) : status_(status), window_(window) {}
  void SetGaugeColor(GaugeColor color) override;
  void SetGaugePosition(int position) override;
  void SetStatus(const std::string& text) override;
  int Ask(const std::string& question) override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;

 private:
  StatusBar& status_;
  QWidget& window_;
};

}  // namespace vls
