#pragma once
// The modal YES / NO / Cancel question that every yes/no question of the
// program goes through: the dialog TAsk and the operation Ask that shows it.

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace vls {

// The question of the latest Ask (at most 255 characters); the dialog reads
// it when it is shown.
extern QString AskQuestion;
// The answer of the latest dialog: 1 YES, 2 NO, 0 Cancel or closed.
extern int AskAnswer;

inline constexpr int kAskMaxLength = 255;
// Characters that fit on the first line; the rest goes to the second.
inline constexpr int kAskFirstLine = 65;

class TAsk : public QDialog {
  Q_OBJECT

 public:
  explicit TAsk(QWidget* parent = nullptr);

  // Makes the next Ask return answer without showing a window (tests, and
  // callers that already know the answer). One answer per call. inspect, if
  // given, sees the dialog filled in as it would have been shown.
  static void SetNextAnswer(int answer, std::function<void(const TAsk&)> inspect = nullptr);
  static void ClearNextAnswer();

  // Fills the two lines from AskQuestion and sets AskAnswer to 0; runs each
  // time the dialog is shown.
  void FormActivate();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  friend int Ask(const std::string& question_bytes);
  void ButOKClick();
  void ButNoClick();
  void CancelBtnClick();
  void CloseWith(int answer);

  static std::optional<int> next_answer_;
  static std::function<void(const TAsk&)> inspect_;

  QLabel* Label1;
  QLabel* Label2;
  QPushButton* ButOk;
  QPushButton* ButNo;
  QPushButton* CancelBtn;
};

// Shows a fresh TAsk modally for the question and returns 1 (YES), 2 (NO) or
// 0 (Cancel or window closed). The question is shown as DisplayText shows
// names (hidden characters made visible); one longer than 255 characters
// loses a part of its middle.
int Ask(const QString& question);
// The same for the bytes the file routines hold (UTF-8, or a name's raw
// bytes, whose invalid sequences are shown escaped).
int Ask(const std::string& question_bytes);

}  // namespace vls
