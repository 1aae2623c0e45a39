// Loaded with LD_PRELOAD into the desktop program, so a harness can drive
// the real program from outside: it types ANSWER_PASSWORD into the
// decryption password dialog and presses Enter, it writes the text of every
// message box to ANSWER_LOG (one line, "message: TEXT") and closes the box,
// so no modal loop waits for a person, and it notes when the password
// dialog or the question dialog opens ("password asked", "question asked"),
// every value of the gauge ("gauge N") and every new status line ("status
// TEXT"), so the harness knows how far a view has gone.

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
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
    WatchStatus(widget);
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

 private:
  // The gauge is told at once (it moves while the window takes no events);
  // the status line is looked at every 20 ms.
  void WatchStatus(QWidget* shown) {
    if (!status_.isNull())
      return;
    QWidget* window = shown->window();
    auto* gauge = window->findChild<QProgressBar*>(QStringLiteral("Gauge1"));
    status_ = window->findChild<QLabel*>(QStringLiteral("HintLb"));
    if (gauge == nullptr || status_.isNull())
      return;
    connect(gauge, &QProgressBar::valueChanged, this,
            [](int value) { Log("gauge " + QString::number(value)); });
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
      if (!status_.isNull() && status_->text() != last_status_) {
        last_status_ = status_->text();
        Log("status " + last_status_);
      }
    });
    timer->start(20);
  }

  QPointer<QLabel> status_;
  QString last_status_;
};

void Install() {
  QCoreApplication::instance()->installEventFilter(new Answerer(QCoreApplication::instance()));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
