#pragma once
// The modal YES / NO / Cancel question that every yes/no question of the
// program goes through: the dialog TAsk and the operation Ask that shows it.

#include <QDialog>
#include <QString>
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
  // callers that already know the answer). One answer per call.
  static void SetNextAnswer(int answer);
  static void ClearNextAnswer();

  // Fills the two lines from AskQuestion and sets AskAnswer to 0; runs each
  // time the dialog is shown.
  void FormActivate();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  friend int Ask(const QString& question);
  void ButOKClick();
  void ButNoClick();
  void CancelBtnClick();
  void CloseWith(int answer);

  static std::optional<int> next_answer_;

  QLabel* Label1;
  QLabel* Label2;
  QPushButton* ButOk;
  QPushButton* ButNo;
  QPushButton* CancelBtn;
};

// Shows a fresh TAsk modally for the question (cut to its first 255
// characters) and returns 1 (YES), 2 (NO) or 0 (Cancel or window closed).
int Ask(const QString& question);
// The same for UTF-8 text, as the file routines hold it.
int Ask(const std::string& question_utf8);

}  // namespace vls
