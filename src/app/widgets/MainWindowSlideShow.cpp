// The slide show over the work list and the "&Full" view, both on the
// full-screen form.

#include <QCoreApplication>
#include <QPushButton>
#include <QThread>

#include "app/widgets/MainWindow.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/PictureView.h"
#include "platform/Interruption.h"
#include "viewing/widgets/FullSlide.h"

namespace vls {
namespace {

// The full-screen form as the place a view shows its picture.
class FullSlideShow : public PictureShow {
 public:
  explicit FullSlideShow(TFullSlide& form) : form_(form) {}
  void ShowMissing() override {
    form_.Picture->Clear();
    form_.FormShow();
  }
  void ShowPlainCopy(const std::string& plain_copy) override {
    form_.Picture->Load(PathText(plain_copy));
    form_.FormShow();
  }

 private:
  TFullSlide& form_;
};

// Closing the full-screen form by any means (the window manager's close,
// Alt+F4) asks to stop, as a key or a click on it does.
class StopWhenClosed : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close)
      SlideStop = true;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void TFmainVLS::SetFullSlide(TFullSlide* form) {
  full_slide_ = form;
  if (form != nullptr) {
    full_slide_show_ = std::make_unique<FullSlideShow>(*form);
    form->installEventFilter(new StopWhenClosed(form));
  }
  connect(View_FullScreen, &QPushButton::clicked, this, [this] { View_FullScreenClick(); });
}

bool TFmainVLS::WaitForSlideStop(int rounds, int ms) {
  // A request to stop the program ends the wait as a stop does.
  for (int round = 0; round < rounds && !SlideStop && InterruptSignal() == 0; ++round) {
    QThread::msleep(static_cast<unsigned long>(ms));
    QCoreApplication::processEvents();
  }
  return SlideStop || InterruptSignal() != 0;
}

std::size_t TFmainVLS::RowCount() const {
  return static_cast<std::size_t>(filesModel->Count());
}

std::string TFmainVLS::RowPath(std::size_t i) const {
  return filesModel->PathAt(static_cast<int>(i));
}

void TFmainVLS::StepAside() {
  if (full_slide_ != nullptr)
    full_slide_->hide();
}

bool TFmainVLS::WaitForStop(int rounds) {
  const bool stopped = WaitForSlideStop(rounds, SlideWaitMs);
  if (stopped)
    SlideStop = false;
  return stopped;
}

void TFmainVLS::PutAway() {
  if (full_slide_ == nullptr)
    return;
  full_slide_->hide();
  // What the form showed goes with it: no picture outlives its show.
  full_slide_->Picture->Clear();
}

void TFmainVLS::RunSlideShow() {
  SlideStop = false;
  SlideShowFlow(*this, *viewer_flow_, *full_slide_show_).Run();
}

void TFmainVLS::View_FullScreenClick() {
  if (full_slide_ == nullptr)
    return;
  SlideStop = false;
  full_slide_->Picture->ShowCopy(View_Picture->StillPicture());
  full_slide_->FormShow();
  // The view also ends when the form is gone from the screen without a stop
  // (hidden or minimised by the window manager): nothing could stop it then.
  while (!WaitForSlideStop(1, FullScreenWaitMs) && full_slide_->isVisible() &&
         !full_slide_->isMinimized()) {
  }
  PutAway();
}

}  // namespace vls
