#include "app/widgets/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace vls {
namespace {
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}
}  // namespace

void SetMessageSink(MessageSink sink) {
  Sink() = std::move(sink);
}

void ShowMessage(QWidget* parent, MessageKind kind, const QString& text) {
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
  box.setText(text);
  box.addButton("OK", QMessageBox::AcceptRole);
  box.exec();
}

}  // namespace vls
