#include "protect/widgets/Ask.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>

#include "platform/DisplayText.h"
#include "protect/Feedback.h"

namespace vls {

QString AskQuestion;
int AskAnswer = 0;

std::optional<int> TAsk::next_answer_;
std::function<void(const TAsk&)> TAsk::inspect_;

namespace {

constexpr int kClientWidth = 341;
constexpr int kClientHeight = 98;
// Below this a line would no longer be readable; it is not shrunk further.
constexpr int kSmallestPixelSize = 7;

// The lines were laid out for 65 characters of a narrow system font in a
// 325-pixel label. Where the font is wider, a line is drawn smaller until it
// fits; a line still too wide at the smallest size loses its middle, so its
// end (a file's real type, the program) stays in sight. Returns whether the
// line lost a part.
bool FitLine(QLabel& label, const QString& line, const QFont& font) {
  QFont fitted = font;
  int pixels = QFontInfo(font).pixelSize();
  fitted.setPixelSize(pixels);
  const int room = label.contentsRect().width();
  while (pixels > kSmallestPixelSize && QFontMetrics(fitted).horizontalAdvance(line) > room) {
    fitted.setPixelSize(--pixels);
  }
  label.setFont(fitted);
  const QString shown = QFontMetrics(fitted).elidedText(line, Qt::ElideMiddle, room);
  label.setText(shown);
  return shown != line;
}

// Questions carry names of files, which are shown with their hidden
// characters made visible; a question too long loses its middle, not the end
// that says what is being asked.
QString ShownQuestion(const std::string& bytes) {
  return QString::fromStdString(DisplayPath(bytes, kAskMaxLength));
}

// Tool tips are drawn as rich text whenever they look like it, so the
// question goes in escaped, in a paragraph that keeps its blanks.
QString PlainToolTip(const QString& text) {
  return "<p style=\"white-space:pre-wrap\">" + text.toHtmlEscaped() + "</p>";
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TAsk::TAsk(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TAsk"));
  setWindowTitle(QStringLiteral("MORVANE  Veilstore 32-bit v 3.1 "));
  setFixedSize(kClientWidth, kClientHeight);
  setModal(true);

  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(8, 5, kClientWidth - 16, 17);
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  Label1->setTextFormat(Qt::PlainText);

  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(8, 24, kClientWidth - 16, 17);
  Label2->setTextFormat(Qt::PlainText);

  ButOk = MakeButton(this, "ButOk", QStringLiteral("YES"), QRect(26, 52, 92, 40));
  ButNo = MakeButton(this, "ButNo", QStringLiteral("NO"), QRect(117, 52, 85, 40));
  CancelBtn = MakeButton(this, "CancelBtn", QStringLiteral("Cancel"), QRect(202, 52, 85, 40));
  connect(ButOk, &QPushButton::clicked, this, &TAsk::ButOKClick);
  connect(ButNo, &QPushButton::clicked, this, &TAsk::ButNoClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TAsk::CancelBtnClick);
}

void TAsk::SetNextAnswer(int answer, std::function<void(const TAsk&)> inspect) {
  next_answer_ = answer;
  inspect_ = std::move(inspect);
}
void TAsk::ClearNextAnswer() {
  next_answer_.reset();
  inspect_ = nullptr;
}

void TAsk::FormActivate() {
  // Ask has made the question showable already; a question put there by
  // other means is made so here (showing shown text again changes nothing).
  const QString question = ShownQuestion(AskQuestion.toStdString());
  // Cut at character 65, words or not, but never between the two halves of
  // a character beyond the Basic Multilingual Plane.
  qsizetype cut = qMin(question.size(), qsizetype{kAskFirstLine});
  if (cut < question.size() && question.at(cut - 1).isHighSurrogate())
    --cut;
  const bool cut1 = FitLine(*Label1, question.left(cut), font());
  const bool cut2 = FitLine(*Label2, question.mid(cut), font());
  // Whatever a line had to leave out can still be read in full.
  const QString tip = cut1 || cut2 ? PlainToolTip(question) : QString();
  Label1->setToolTip(tip);
  Label2->setToolTip(tip);
  AskAnswer = 0;
}

void TAsk::showEvent(QShowEvent* event) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  FormActivate();
  QDialog::showEvent(event);
}

void TAsk::ButOKClick() {
  CloseWith(kAnswerYes);
}
void TAsk::ButNoClick() {
  CloseWith(kAnswerNo);
}
void TAsk::CancelBtnClick() {
  CloseWith(kAnswerCancel);
}

void TAsk::CloseWith(int answer) {
  AskAnswer = answer;
  done(answer);
}

int Ask(const QString& question) {
  return Ask(question.toStdString());
}

int Ask(const std::string& question_bytes) {
  AskQuestion = ShownQuestion(question_bytes);
  // A fresh dialog per question, so it starts clean every time. It belongs
  // over the window the user is looking at, so a question raised during a
  // full-screen show stays in front of that form, which stays on top.
  QPointer<TAsk> dialog = new TAsk(QApplication::activeWindow());
  // Freed here, unless its window went away during the question and took it.
  const auto free_dialog = qScopeGuard([&dialog] { delete dialog.data(); });
  dialog->setWindowModality(Qt::ApplicationModal);
  if (TAsk::next_answer_) {
    dialog->FormActivate();
    if (TAsk::inspect_)
      TAsk::inspect_(*dialog);
    AskAnswer = *TAsk::next_answer_;
    TAsk::ClearNextAnswer();
    return AskAnswer;
  }
  dialog->exec();
  // Closing the window any other way than by a button leaves AskAnswer at 0.
  return AskAnswer;
}

}  // namespace vls
