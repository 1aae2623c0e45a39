#pragma once
// What the file routines need of the window: the status gauge, the status
// line, the YES/NO/Cancel question and message boxes. The desktop program
// implements it with its widgets, the command line for a terminal, and tests
// with a recording fake.

#include <string>

namespace vls {

enum class GaugeColor { Red };

// Answers of the YES/NO/Cancel question.
inline constexpr int kAnswerCancel = 0;
inline constexpr int kAnswerYes = 1;
inline constexpr int kAnswerNo = 2;

class Feedback {
 public:
  virtual ~Feedback() = default;
  virtual void SetGaugeColor(GaugeColor color) = 0;
  // Moves the 0..100 gauge and repaints it at once.
  virtual void SetGaugePosition(int position) = 0;
  // The status line.
  virtual void SetStatus(const std::string& text) = 0;
  // The modal YES/NO/Cancel question: 1 YES, 2 NO, 0 Cancel or closed.
  virtual int Ask(const std::string& question) = 0;
  // Information box with one OK button.
  virtual void ShowInformation(const std::string& text) = 0;
  // Error box with one OK button.
  virtual void ShowError(const std::string& text) = 0;
  // Something the user must hear of without being stopped (a file restored
  // under another name, a file replaced): the status line, a terminal line.
  virtual void Notice(const std::string& text) { SetStatus(text); }
};

// A Feedback that shows nothing and answers Cancel.
class SilentFeedback : public Feedback {
 public:
  void SetGaugeColor(GaugeColor) override {}
  void SetGaugePosition(int) override {}
  void SetStatus(const std::string&) override {}
  int Ask(const std::string&) override { return kAnswerCancel; }
  void ShowInformation(const std::string&) override {}
  void ShowError(const std::string&) override {}
};

}  // namespace vls
