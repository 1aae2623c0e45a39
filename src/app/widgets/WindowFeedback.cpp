#include "app/widgets/WindowFeedback.h"

#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusBar.h"
#include "platform/DisplayText.h"
#include "protect/widgets/Ask.h"

namespace vls {

void WindowFeedback::SetGaugeColor(GaugeColor color) {
  if (color == GaugeColor::Red)
    status_.SetGaugeColor(Qt::red);
}

void WindowFeedback::SetGaugePosition(int position) {
  status_.SetGauge(position);
  status_.RepaintGauge();
}

void WindowFeedback::SetStatus(const std::string& text) {
  status_.SetText(QString::fromStdString(DisplayText(text)));
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
