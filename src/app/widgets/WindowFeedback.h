#pragma once
// The main window's side of the file routines: Gauge1, HintLb, the question
// dialog and the message boxes.

#include "protect/Feedback.h"

namespace vls {

class TFmainVLS;

class WindowFeedback : public Feedback {
 public:
  explicit WindowFeedback(TFmainVLS& window) : window_(window) {}
  void SetGaugeColor(GaugeColor color) override;
  void SetGaugePosition(int position) override;
  void SetStatus(const std::string& text) override;
  int Ask(const std::string& question) override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;

 private:
  TFmainVLS& window_;
};

}  // namespace vls
