#include "app/widgets/WorkListWindow.h"

#include <QWidget>

#include "app/WorkList.h"
#include "app/widgets/FullScreenShow.h"
#include "app/widgets/PageHost.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace vls {

WorkListWindow::WorkListWindow(QWidget& page, PageHost& host, TWorkList& rows,
                               FullScreenShow& full_screen,
                               std::function<void()> disable_list_buttons)
    : page_(page),
      host_(host),
      rows_(rows),
      full_screen_(full_screen),
      disable_list_buttons_(std::move(disable_list_buttons)) {}

void WorkListWindow::TakeRows() {
  taken_ = rows_.Paths();
}

void WorkListWindow::ReleaseRows() {
  taken_.reset();
}

std::size_t WorkListWindow::RowCount() const {
  return taken_ ? taken_->size() : static_cast<std::size_t>(rows_.Count());
}

std::string WorkListWindow::RowPath(std::size_t i) const {
  return taken_ ? taken_->at(i) : std::string(rows_.PathAt(static_cast<int>(i)));
}

void WorkListWindow::RequestEncryptionKey() {
  vls::RequestEncryptionKey(page_.window());
}

void WorkListWindow::RequestDecryptionKey() {
  vls::RequestDecryptionKey(page_.window());
}

void WorkListWindow::BringToFront() {
  page_.window()->raise();
  page_.window()->activateWindow();
}

void WorkListWindow::SetBusy(bool busy) {
  host_.SetGauge(0);
  host_.ShowGauge(busy);
  host_.SetBusy(busy);
  if (busy)
    page_.window()->repaint();
}

void WorkListWindow::DisableListButtons() {
  disable_list_buttons_();
}

void WorkListWindow::SetStatusLine(const std::string& text, bool repaint_now) {
  host_.SetStatusLine(QString::fromStdString(text), repaint_now);
}

void WorkListWindow::SetStatusLine(const std::string& text) {
  host_.SetStatusLine(QString::fromStdString(text));
}

void WorkListWindow::ClearList() {
  rows_.Clear();
}

void WorkListWindow::RereadFolder() {
  host_.RereadFileList();
}

void WorkListWindow::StepAside() {
  full_screen_.StepAside();
}

SlideKey WorkListWindow::WaitForKey(int rounds) {
  return full_screen_.WaitForKey(rounds);
}

void WorkListWindow::ShowPaused(bool paused) {
  full_screen_.ShowPaused(paused);
}

void WorkListWindow::PutAway() {
  full_screen_.PutAway();
}

}  // namespace vls
