// Hostile names through the widgets that show names: a real message box, the
// status line and the question dialog show each name literally, as plain
// text (no link, no picture loaded), and the launcher's question keeps the
// file's real type and the program in sight as the dialog draws it.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusControls.h"
#include "platform/AnsiText.h"
#include "platform/DisplayText.h"
#include "platform/desktop/Associations.h"
#include "protect/Feedback.h"
#include "protect/widgets/Ask.h"
#include "support/HostileNames.h"

using namespace vls;
using vls::test::HostileNames;

namespace {

// Counts the readers that open a FIFO: a label that takes a name for markup
// and loads the picture it names opens it. Each reader is let go at once
// (it reads an empty file) so a faulty widget fails the test, not hangs it.
class FifoProbe {
 public:
  explicit FifoProbe(const QString& path) : path_(QFile::encodeName(path).toStdString()) {
    ok_ = mkfifo(path_.c_str(), 0600) == 0;
    watcher_ = std::thread([this] {
      while (!stop_) {
        const int fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
          ++readers_;
          close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  ~FifoProbe() {
    stop_ = true;
    watcher_.join();
  }
  bool ok() const { return ok_; }
  int readers() const { return readers_; }

 private:
  std::string path_;
  bool ok_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> readers_{0};
  std::thread watcher_;
};

QString Shown(const test::HostileName& name) {
  return QString::fromStdString(name.shown);
}

// Once a message box is up, looks at it and closes it.
void WhenBoxShown(std::function<void(QMessageBox&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      WhenBoxShown(act);
      return;
    }
    act(*box);
    box->accept();
  });
}

bool Fits(const QLabel& label) {
  return QFontMetrics(label.font()).horizontalAdvance(label.text()) <= label.contentsRect().width();
}

}  // namespace

class HostileNamesTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  std::unique_ptr<FifoProbe> fifo_;

 private slots:
  void initTestCase() {
    // Relative picture sources are looked for in the current folder.
    QVERIFY(QDir::setCurrent(home_.path()));
    fifo_ = std::make_unique<FifoProbe>(home_.filePath(test::kFifoName));
    QVERIFY(fifo_->ok());
  }

  void cleanupTestCase() { QCOMPARE(fifo_->readers(), 0); }

  void messageBoxesShowNamesAsPlainText() {
    for (const auto& name : HostileNames()) {
      // A QString cannot hold invalid bytes (Ask below takes them), and a
      // message keeps its line breaks: both reach the box through DisplayText.
      if (!IsValidUtf8(name.raw) || name.raw.find('\n') != std::string::npos)
        continue;
      const QString prefix = "BAD KEY! /home/ann/";
      QString format, text;
      bool in_sight = true;
      WhenBoxShown([&](QMessageBox& box) {
        auto* label = box.findChild<QLabel*>("qt_msgbox_label");
        box.grab();  // lays out and draws the text, pictures and all
        format = label->textFormat() == Qt::PlainText ? "plain" : "other";
        text = label->text();
        // Every word is drawn whole and the label is tall enough for all of
        // its lines: a long name is wrapped, not cut off.
        for (const QString& word : QString(text).replace(u'\n', u' ').split(u' '))
          in_sight = in_sight && label->fontMetrics().horizontalAdvance(word) <= label->width();
        in_sight = in_sight && label->height() >= label->heightForWidth(label->width());
      });
      ShowMessage(nullptr, MessageKind::Information, prefix + QString::fromUtf8(name.raw));
      QCOMPARE(format, QString("plain"));
      QVERIFY2(in_sight, name.what);
      QVERIFY2(text.remove(u'\n') == prefix + Shown(name), name.what);
    }
    QCOMPARE(fifo_->readers(), 0);
  }

  void theStatusLineShowsNamesLiterallyAndKeepsTheirEnd() {
    StatusLine line;
    QCOMPARE(line.textFormat(), Qt::PlainText);
    line.resize(20000, 20);
    for (const auto& name : HostileNames()) {
      if (!IsValidUtf8(name.raw))
        continue;
      // As the work list writes it: padded with blanks that overwrote longer text.
      line.setText("Adding /home/ann/" + QString::fromUtf8(name.raw) + QString(10, u' '));
      line.grab();
      QVERIFY2(line.ShownText() == "Adding /home/ann/" + Shown(name), name.what);
    }
    // Too long for the bar: the middle goes, the end stays, and it fits.
    line.resize(200, 20);
    line.setText("Adding /home/ann/" + QString(300, u'd') + "/Invoice-2024.pdf.html");
    QVERIFY(line.ShownText().endsWith(".pdf.html"));
    QVERIFY(line.ShownText().startsWith("Adding"));
    QVERIFY(line.fontMetrics().horizontalAdvance(line.ShownText()) <= 200);
  }

  void theQuestionDialogShowsNamesLiterally() {
    for (const auto& name : HostileNames()) {
      const std::string question = "DELETE /home/ann/" + name.raw + " ?";
      const QString expected = QString::fromStdString("DELETE /home/ann/" + name.shown + " ?");
      QString drawn;
      TAsk::SetNextAnswer(kAnswerNo, [&](const TAsk& dialog) {
        for (const char* which : {"Label1", "Label2"}) {
          auto* label = dialog.findChild<QLabel*>(which);
          QCOMPARE(label->textFormat(), Qt::PlainText);
          QVERIFY2(Fits(*label), name.what);
          drawn += label->text();
        }
      });
      QCOMPARE(Ask(question), kAnswerNo);
      QVERIFY2(drawn.endsWith(" ?"), name.what);
      if (expected.size() <= kAskMaxLength) {
        QVERIFY2(AskQuestion == expected, name.what);
      } else {
        // Too long for a question: the middle goes, the end with " ?" stays.
        QCOMPARE(AskQuestion.size(), qsizetype{kAskMaxLength});
        QVERIFY2(AskQuestion.endsWith(expected.right(40)), name.what);
      }
    }
  }

  // The program is named as its desktop entry names it, and however long or
  // padded the restored file's name, the dialog as drawn ends with the
  // file's real type and " with " + the program.
  void theLaunchQuestionKeepsTheTypeAndTheProgramInSight() {
    QTemporaryDir xdg;
    const QDir root(xdg.path());
    for (const char* sub : {"config", "data/mime", "data/applications", "dirs", "files"})
      QVERIFY(root.mkpath(sub));
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath("data").toUtf8());
    qputenv("XDG_DATA_DIRS", root.filePath("dirs").toUtf8());
    auto write = [](const QString& path, const QByteArray& bytes) {
      QFile file(path);
      return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QVERIFY(write(root.filePath("data/mime/globs2"), "50:text/html:*.html\n"));
    const QString opener = root.filePath("txt-opener");
    QVERIFY(write(opener, "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(write(root.filePath("data/applications/txt-opener.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Text Opener\nExec=" + opener.toUtf8() +
                      " %f\nMimeType=text/html;\n"));
    QVERIFY(write(root.filePath("config/mimeapps.list"),
                  "[Default Applications]\ntext/html=txt-opener.desktop\n"));

    const QString folder = root.filePath("files") + "/Documents/" + QString(60, u'd');
    QVERIFY(QDir().mkpath(folder));
    const QString names[] = {"letter.html", "Invoice-2024.pdf" + QString(200, u' ') + ".html",
                             "Invoice-2024.pdf\n.html", QString(250, u'x') + ".html",
                             "Invoice-2024.pdf" + QString(100, u'\t') + ".html"};
    for (const QString& name : names) {
      const QString path = folder + "/" + name;
      QVERIFY(write(path, "<html></html>"));
      const AssociatedProgram program =
          AssociatedProgram::For(QFile::encodeName(path).toStdString());
      QVERIFY(program.Found());
      QCOMPARE(QString::fromStdString(program.DisplayName()), QString("Text Opener"));

      QStringList drawn;
      bool fits = true;
      TAsk::SetNextAnswer(kAnswerCancel, [&](const TAsk& dialog) {
        for (const char* which : {"Label1", "Label2"}) {
          auto* label = dialog.findChild<QLabel*>(which);
          fits = fits && Fits(*label);
          if (!label->text().isEmpty())
            drawn << label->text();
        }
      });
      QCOMPARE(Ask(LaunchQuestion(QFile::encodeName(path).toStdString(), program.DisplayName())),
               kAnswerCancel);
      QVERIFY2(fits, qPrintable(name.left(30)));
      QVERIFY2(drawn.first().startsWith("Open "), qPrintable(drawn.first()));
      QVERIFY2(drawn.last().endsWith(".html with Text Opener"), qPrintable(drawn.last()));
    }
  }
};

QTEST_MAIN(HostileNamesTest)
#include "HostileNames_test.moc"
