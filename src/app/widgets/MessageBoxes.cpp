#include "app/widgets/MessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include "platform/DisplayText.h"

namespace vls {
namespace {

// Pixels of the widest word of a box: well inside the width it grows to.
constexpr int kWidestWord = 320;

MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}
// Messages carry names of files: every line is shown with its hidden
// characters made visible. The lines themselves are the program's own.
QString ShownMessage(const QString& text) {
  QStringList lines = text.split(u'\n');
  for (QString& line : lines)
    line = QString::fromStdString(DisplayText(line.toStdString()));
  return lines.join(u'\n');
}

// A box wraps its lines at blanks only and grows no wider than the screen,
// so a long path (one word) would be cut off at its end, where its file's
// name is. Words wider than a box line are broken here, after a "/" near the
// edge where there is one.
QString BrokenWord(QString word, const QFontMetrics& metrics, int width) {
  QStringList pieces;
  while (metrics.horizontalAdvance(word) > width && word.size() > 1) {
    qsizetype low = 1, high = word.size() - 1;  // the longest start that fits
    while (low < high) {
      const qsizetype middle = (low + high + 1) / 2;
      if (metrics.horizontalAdvance(word.left(middle)) <= width) {
        low = middle;
      } else {
        high = middle - 1;
      }
    }
    qsizetype cut = low;
    if (cut > 1 && word.at(cut - 1).isHighSurrogate())
      --cut;
    for (qsizetype at = cut; at > cut / 2; --at) {
      if (word.at(at - 1) == u'/') {
        cut = at;
        break;
      }
    }
    pieces << word.left(cut);
    word.remove(0, cut);
  }
  pieces << word;
  return pieces.join(u'\n');
}

QString BrokenLongWords(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines = text.split(u'\n');
  for (QString& line : lines) {
    QStringList words = line.split(u' ');
    for (QString& word : words)
      word = BrokenWord(word, metrics, width);
    line = words.join(u' ');
  }
  return lines.join(u'\n');
}

}  // namespace

void SetMessageSink(MessageSink sink) {
  Sink() = std::move(sink);
}

void ShowMessage(QWidget* parent, MessageKind kind, const QString& message) {
  const QString text = ShownMessage(message);
  if (Sink()) {
    Sink()(kind, text);
    return;
  }
  // A message belongs over the window the user is looking at, so one raised
  // during a full-screen show stays in front of it.
  QWidget* active = QApplication::activeWindow();
  QMessageBox box(active != nullptr ? active : parent);
  switch (kind) {
    case MessageKind::Information:
      box.setIcon(QMessageBox::Information);
      box.setWindowTitle("Information");
      break;
    case MessageKind::Error:
      box.setIcon(QMessageBox::Critical);
      box.setWindowTitle("Erreur");
      break;
    case MessageKind::Warning:
      box.setIcon(QMessageBox::Warning);
      box.setWindowTitle("Avertissement");
      break;
  }
  // Plain text: a name never turns into a link, a picture or markup.
  box.setTextFormat(Qt::PlainText);
  const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  box.setText(BrokenLongWords(text, label != nullptr ? label->fontMetrics() : box.fontMetrics(),
                              kWidestWord));
  box.addButton("OK", QMessageBox::AcceptRole);
  box.exec();
}

}  // namespace vls
