#include "app/widgets/WindowFeedback.h"

#include <QLabel>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusControls.h"
#include "platform/DisplayText.h"
#include "protect/widgets/Ask.h"

namespace vls {

void WindowFeedback::SetGaugeColor(GaugeColor color) {
  if (color == GaugeColor::Red)
    window_.Gauge1->setBarColor(Qt::red);
}

void WindowFeedback::SetGaugePosition(int position) {
  window_.Gauge1->setValue(position);
  window_.Gauge1->repaint();
}

void WindowFeedback::SetStatus(const std::string& text) {
  window_.HintLb->setText(QString::fromStdString(DisplayText(text)));
}

int WindowFeedback::Ask(const std::string& question) {
  return vls::Ask(question);
}

void WindowFeedback::ShowInformation(const std::string& text) {
  ShowMessage(&window_, MessageKind::Information, QString::fromStdString(DisplayLines(text)));
}

void WindowFeedback::ShowError(const std::string& text) {
  ShowMessage(&window_, MessageKind::Error, QString::fromStdString(DisplayLines(text)));
}

}  // namespace vls
