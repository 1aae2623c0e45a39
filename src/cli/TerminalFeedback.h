#pragma once
// The file routines' feedback on a terminal: a progress bar on standard
// error, questions on standard input, messages as lines.

#include "cli/Console.h"
#include "protect/Feedback.h"

namespace vls::cli {

class TerminalFeedback : public Feedback {
 public:
  // default_answer is given when no terminal can be asked.
  TerminalFeedback(Console& console, int default_answer)
      : console_(console), default_answer_(default_answer) {}

  void SetGaugeColor(GaugeColor) override {}
  void SetGaugePosition(int position) override;
  void SetStatus(const std::string&) override {}
  int Ask(const std::string& question) override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void Notice(const std::string& text) override;

  int errors_shown() const { return errors_shown_; }

 private:
  void ClearBar();

  Console& console_;
  int default_answer_;
  int drawn_ = -1;
  int errors_shown_ = 0;
};

}  // namespace vls::cli
