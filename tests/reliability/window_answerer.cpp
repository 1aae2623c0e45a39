// Loaded with LD_PRELOAD into the desktop program, so a harness can drive
// the real program from outside: it types ANSWER_PASSWORD into the
// decryption password dialog and presses Enter, it writes the text of every
// message box to ANSWER_LOG (one line, "message: TEXT") and closes the box,
// so no modal loop waits for a person, and it notes when the password
// dialog or the question dialog opens ("password asked", "question asked").

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace {

void Log(const QString& line) {
  QFile log(qEnvironmentVariable("ANSWER_LOG"));
  if (log.open(QIODevice::Append))
    log.write((line + "\n").toUtf8());
}

class Answerer : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show || !watched->isWidgetType())
      return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->objectName() == QLatin1String("TFPass2")) {
      Log("password asked");
      // Once the dialog has run its own show steps (which empty the edit).
      QTimer::singleShot(0, widget, [widget] {
        auto* edit = widget->findChild<QLineEdit*>(QStringLiteral("Password1"));
        if (edit == nullptr)
          return;
        edit->setText(qEnvironmentVariable("ANSWER_PASSWORD"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &release);
      });
    } else if (widget->objectName() == QLatin1String("TAsk")) {
      Log("question asked");  // left open: the harness stops the program there
    } else if (auto* box = qobject_cast<QMessageBox*>(widget)) {
      Log("message: " + box->text().replace('\n', ' '));
      QTimer::singleShot(0, box, [box] { box->done(0); });
    }
    return false;
  }
};

void Install() {
  QCoreApplication::instance()->installEventFilter(new Answerer(QCoreApplication::instance()));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
