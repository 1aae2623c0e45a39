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

#include "protect/Feedback.h"

namespace vls {

QString AskQuestion;
int AskAnswer = 0;

std::optional<int> TAsk::next_answer_;

namespace {

constexpr int kClientWidth = 341;
constexpr int kClientHeight = 98;
// Below this a line would no longer be readable; it is not shrunk further.
constexpr int kSmallestPixelSize = 7;

// The lines were laid out for 65 characters of a narrow system font in a
// 325-pixel label. Where the font is wider, a line is drawn smaller until it
// fits, so that no part of the question (a path, a program's name) is cut off.
void FitLine(QLabel& label, const QFont& font) {
  QFont fitted = font;
  int pixels = QFontInfo(font).pixelSize();
  fitted.setPixelSize(pixels);
  while (pixels > kSmallestPixelSize &&
         QFontMetrics(fitted).horizontalAdvance(label.text()) > label.contentsRect().width()) {
    fitted.setPixelSize(--pixels);
  }
  label.setFont(fitted);
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

void TAsk::SetNextAnswer(int answer) {
  next_answer_ = answer;
}
void TAsk::ClearNextAnswer() {
  next_answer_.reset();
}

void TAsk::FormActivate() {
  Label2->clear();
  if (AskQuestion.size() <= kAskFirstLine) {
    Label1->setText(AskQuestion);
  } else {
    // Cut at character 65 exactly, words or not.
    Label1->setText(AskQuestion.left(kAskFirstLine));
    Label2->setText(AskQuestion.mid(kAskFirstLine));
  }
  FitLine(*Label1, font());
  FitLine(*Label2, font());
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
  AskQuestion = question.left(kAskMaxLength);
  // A fresh dialog per question, so it starts clean every time. It belongs
  // over the window the user is looking at, so a question raised during a
  // full-screen show stays in front of that form, which stays on top.
  QPointer<TAsk> dialog = new TAsk(QApplication::activeWindow());
  // Freed here, unless its window went away during the question and took it.
  const auto free_dialog = qScopeGuard([&dialog] { delete dialog.data(); });
  dialog->setWindowModality(Qt::ApplicationModal);
  if (TAsk::next_answer_) {
    dialog->FormActivate();
    AskAnswer = *TAsk::next_answer_;
    TAsk::next_answer_.reset();
    return AskAnswer;
  }
  dialog->exec();
  // Closing the window any other way than by a button leaves AskAnswer at 0.
  return AskAnswer;
}

int Ask(const std::string& question_utf8) {
  return Ask(QString::fromStdString(question_utf8));
}

}  // namespace vls
