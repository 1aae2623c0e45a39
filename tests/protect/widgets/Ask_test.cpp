// The question dialog: its layout, the 65-character split, the three answers,
// the close box, and a fresh start for every question. Modal dialogs are
// answered from a single-shot timer or the next-answer hook.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "protect/widgets/Ask.h"

using vls::Ask;
using vls::AskAnswer;
using vls::AskQuestion;
using vls::TAsk;

namespace {

struct Seen {
  QString line1, line2;
  int answer_on_show = -1;
  bool shown = false;
};

// Once the modal question is up, records what it shows and then acts on it.
void WhenAsked(Seen& seen, std::function<void(TAsk&)> act) {
  QTimer::singleShot(0, [&seen, act = std::move(act)] {
    auto* dialog = qobject_cast<TAsk*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      WhenAsked(seen, act);
      return;
    }
    seen.shown = true;
    seen.line1 = dialog->findChild<QLabel*>("Label1")->text();
    seen.line2 = dialog->findChild<QLabel*>("Label2")->text();
    seen.answer_on_show = AskAnswer;
    act(*dialog);
  });
}

void Click(TAsk& dialog, const char* button) {
  QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
}

QString Letters(int count) {
  QString text;
  for (int i = 0; i < count; ++i)
    text += QChar(u'a' + i % 26);
  return text;
}

}  // namespace

class AskTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    TAsk::ClearNextAnswer();
    AskAnswer = -1;
  }

  void layoutMatchesTheDesign() {
    TAsk dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("MORVANE  Veilstore 32-bit v 3.1 "));
    QCOMPARE(dialog.size(), QSize(341, 98));
    const struct {
      const char* name;
      QString text;
      QRect geometry;
    } buttons[] = {{"ButOk", "YES", QRect(26, 52, 92, 40)},
                   {"ButNo", "NO", QRect(117, 52, 85, 40)},
                   {"CancelBtn", "Cancel", QRect(202, 52, 85, 40)}};
    for (const auto& expected : buttons) {
      auto* button = dialog.findChild<QPushButton*>(expected.name);
      QVERIFY2(button != nullptr, expected.name);
      QCOMPARE(button->text(), expected.text);
      QCOMPARE(button->geometry(), expected.geometry);
    }
    QCOMPARE(dialog.findChild<QLabel*>("Label1")->pos(), QPoint(8, 5));
    QCOMPARE(dialog.findChild<QLabel*>("Label2")->pos(), QPoint(8, 24));
    QVERIFY(dialog.findChild<QLabel*>("Label1")->alignment() & Qt::AlignHCenter);
  }

  void splitsAtCharacter65() {
    const struct {
      int length;
      int first;
    } cases[] = {{65, 65}, {66, 65}, {70, 65}, {10, 10}, {0, 0}};
    for (const auto& c : cases) {
      const QString question = Letters(c.length);
      Seen seen;
      WhenAsked(seen, [](TAsk& dialog) { Click(dialog, "ButOk"); });
      QCOMPARE(Ask(question), 1);
      QVERIFY(seen.shown);
      QCOMPARE(seen.line1, question.left(c.first));
      QCOMPARE(seen.line2, question.mid(c.first));
      QCOMPARE(seen.line1 + seen.line2, question);
    }
  }

  // A first line of 65 characters (here a path and a program's name) is
  // drawn whole inside its label, smaller if the font needs it; a short
  // question keeps the dialog's own size.
  void linesFitTheirLabels() {
    const QString long_line = "Open /tmp/vls-e2e.vEEbws/e2e-home/files/notes.txt with e2e-opener";
    QCOMPARE(long_line.size(), 65);
    for (const QString& question : {long_line, QStringLiteral("Replace it?")}) {
      int fits = -1;
      int pixels = 0;
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TAsk*>(QApplication::activeModalWidget());
        auto* line = dialog->findChild<QLabel*>("Label1");
        fits = QFontMetrics(line->font()).horizontalAdvance(line->text()) <=
               line->contentsRect().width();
        pixels = QFontInfo(line->font()).pixelSize();
        QCOMPARE(pixels <= QFontInfo(dialog->font()).pixelSize(), true);
        Click(*dialog, "ButNo");
      });
      QCOMPARE(Ask(question), 2);
      QVERIFY2(fits == 1, qPrintable(question));
      if (question.size() < 20)
        QCOMPARE(pixels, QFontInfo(QApplication::font()).pixelSize());
    }
  }

  void buttonsAnswerOneTwoZero() {
    const struct {
      const char* button;
      int answer;
    } cases[] = {{"ButOk", 1}, {"ButNo", 2}, {"CancelBtn", 0}};
    for (const auto& c : cases) {
      Seen seen;
      WhenAsked(seen, [&c](TAsk& dialog) { Click(dialog, c.button); });
      QCOMPARE(Ask(QStringLiteral("DELETE THE FILES ?")), c.answer);
      QCOMPARE(AskAnswer, c.answer);
      QCOMPARE(seen.line1, QStringLiteral("DELETE THE FILES ?"));
    }
  }

  void closeBoxAndEscapeAnswerCancel() {
    Seen seen;
    WhenAsked(seen, [](TAsk& dialog) { dialog.close(); });
    QCOMPARE(Ask(QStringLiteral("Include Sub-Directories ?")), 0);
    QVERIFY(seen.shown);

    WhenAsked(seen, [](TAsk& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(Ask(QStringLiteral("Include Sub-Directories ?")), 0);
  }

  void twoQuestionsInARowEachStartClean() {
    Seen first;
    WhenAsked(first, [](TAsk& dialog) { Click(dialog, "ButNo"); });
    QCOMPARE(Ask(Letters(70)), 2);
    QCOMPARE(first.line2, Letters(70).mid(65));

    Seen second;
    WhenAsked(second, [](TAsk& dialog) { dialog.close(); });
    QCOMPARE(Ask(QStringLiteral("short")), 0);
    QCOMPARE(second.line1, QStringLiteral("short"));
    QCOMPARE(second.line2, QString());
    QCOMPARE(second.answer_on_show, 0);
    // Every question had its own dialog, and none is left behind.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      QVERIFY(qobject_cast<TAsk*>(widget) == nullptr);
    }
  }

  // A question too long loses its middle: its end says what is asked.
  void longQuestionsLoseTheirMiddleNotTheirEnd() {
    TAsk::SetNextAnswer(1);
    QCOMPARE(Ask(Letters(300)), 1);
    QCOMPARE(AskQuestion.size(), 255);
    QVERIFY(AskQuestion.startsWith(Letters(50)));
    QVERIFY(AskQuestion.endsWith(Letters(300).right(150)));
  }

  // A second line too wide even at the smallest font loses its middle, not
  // its end; the whole question, as text, is in the lines' tool tip.
  void aLineTooWideAtTheSmallestFontLosesItsMiddle() {
    const QString question = Letters(65) + "<b>" + QString(150, u'W') + "</b> with Text Opener";
    QString tip;
    TAsk::SetNextAnswer(2, [&](const TAsk& dialog) {
      auto* line = dialog.findChild<QLabel*>("Label2");
      QCOMPARE(QFontInfo(line->font()).pixelSize(), 7);
      QVERIFY(QFontMetrics(line->font()).horizontalAdvance(line->text()) <=
              line->contentsRect().width());
      QVERIFY(line->text().endsWith("</b> with Text Opener"));
      QVERIFY(line->text().startsWith("<b>WWW"));
      tip = line->toolTip();
    });
    QCOMPARE(Ask(question), 2);
    QVERIFY(Qt::mightBeRichText(tip));
    QTextDocument shown;
    shown.setHtml(tip);
    QCOMPARE(shown.toPlainText(), question);
  }

  // A character beyond the Basic Multilingual Plane at the cut goes whole to
  // the second line.
  void neverSplitsACharacter() {
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    QString line1, line2;
    TAsk::SetNextAnswer(2, [&](const TAsk& dialog) {
      line1 = dialog.findChild<QLabel*>("Label1")->text();
      line2 = dialog.findChild<QLabel*>("Label2")->text();
    });
    QCOMPARE(Ask(Letters(64) + smile + "b"), 2);
    QCOMPARE(line1, Letters(64));
    QCOMPARE(line2, smile + "b");
  }

  void nextAnswerHookSkipsTheWindowOnce() {
    TAsk::SetNextAnswer(2);
    QCOMPARE(Ask(std::string("caf\xc3\xa9 exists. Replace?")), 2);
    QCOMPARE(AskQuestion, QStringLiteral("café exists. Replace?"));
    // Used up: the next question shows the dialog again.
    Seen seen;
    WhenAsked(seen, [](TAsk& dialog) { Click(dialog, "CancelBtn"); });
    QCOMPARE(Ask(QStringLiteral("again")), 0);
    QVERIFY(seen.shown);
  }
};

QTEST_MAIN(AskTest)
#include "Ask_test.moc"
