#include "app/widgets/WindowBatch.h"

#include <QLabel>
#include <QPushButton>

#include "app/widgets/MainWindow.h"
#include "app/widgets/StatusControls.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace vls {

void WindowBatch::RequestEncryptionKey() {
  vls::RequestEncryptionKey(&window_);
}
void WindowBatch::RequestDecryptionKey() {
  vls::RequestDecryptionKey(&window_);
}

void WindowBatch::BringToFront() {
  window_.raise();
  window_.activateWindow();
}

void WindowBatch::SetBusy(bool busy) {
  window_.Gauge1->setValue(0);
  window_.Gauge1->setVisible(busy);
  window_.SetBusy(busy);
  if (busy)
    window_.repaint();
}

void WindowBatch::DisableListButtons() {
  window_.ButtOk->hide();
  window_.Btn_Clear->setEnabled(false);
  window_.Btn_Remove->setEnabled(false);
}

void WindowBatch::SetStatusLine(const std::string& text, bool repaint_now) {
  window_.HintLb->setText(QString::fromStdString(text));
  if (repaint_now)
    window_.HintLb->repaint();
}

std::size_t WindowBatch::RowCount() const {
  return static_cast<std::size_t>(window_.filesModel->Count());
}

std::string WindowBatch::RowPath(std::size_t i) const {
  return window_.filesModel->PathAt(static_cast<int>(i));
}

void WindowBatch::ClearList() {
  window_.filesModel->Clear();
}

void WindowBatch::RereadFolder() {
  window_.RereadFileList();
}

}  // namespace vls
