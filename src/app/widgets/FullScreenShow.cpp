#include "app/widgets/FullScreenShow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <climits>
#include <utility>

#include "app/WorkList.h"
#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"
#include "platform/Interruption.h"
#include "viewing/widgets/FullSlide.h"

namespace vls {
namespace {

// Closing the full-screen form by any means (the window manager's close,
// Alt+F4) asks to stop, as a key or a click on it does.
class StopWhenClosed : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      SlideStopKey = SlideKey::Stop;
      SlideStop = true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

// What the form's picture control would have put in boxes: a box over the
// full-screen form would stop the slide show, so the decoder's first words
// go to the show's status line instead.
class HeldPictureMessages : public PictureMessages {
 public:
  void ShowError(const QString& text) override {
    if (held_.isEmpty())
      held_ = text;
  }
  void ShowInformation(const QString& /*text*/) override {}
  QString Take() { return std::exchange(held_, QString()); }

 private:
  QString held_;
};

FullScreenShow::FullScreenShow(const int& slide_wait_ms, const int& full_wait_ms)
    : held_(std::make_unique<HeldPictureMessages>()),
      slide_wait_ms_(slide_wait_ms),
      full_wait_ms_(full_wait_ms) {}

FullScreenShow::~FullScreenShow() {
  SetForm(nullptr);
}

void FullScreenShow::SetForm(TFullSlide* form) {
  // A form that outlives the show must not report to it.
  if (!form_.isNull())
    form_->MultiMedia1->SetMessages(nullptr);
  form_ = form;
  if (form != nullptr) {
    form->installEventFilter(new StopWhenClosed(form));
    form->MultiMedia1->SetMessages(held_.get());
  }
}

bool FullScreenShow::Shown() const {
  return !form_.isNull() && form_->isVisible();
}

void FullScreenShow::ShowMissing() {
  if (form_.isNull())
    return;
  form_->Picture->Clear();
  form_->FormShow();
}

ShowOutcome FullScreenShow::ShowPlainPicture(std::span<const std::uint8_t> plain,
                                             const std::string& stored_name) {
  if (form_.isNull())
    return {};  // nowhere to show it, and so nothing to tell
  held_->Take();
  form_->Picture->LoadBytes(plain, PathText(stored_name));
  // The load takes events: the form may have gone meanwhile.
  if (form_.isNull())
    return {};
  form_->FormShow();
  if (form_->Picture->IsAnimated() || form_->Picture->ShowsStill())
    return {};
  return {false, held_->Take().toStdString()};
}

void FullScreenShow::StepAside() {
  if (!form_.isNull())
    form_->hide();
}

bool FullScreenShow::WaitForSlideStop(int rounds, int ms) {
  // A request to stop the program ends the wait as a stop does.
  for (int round = 0; round < rounds && !SlideStop && InterruptSignal() == 0; ++round) {
    QThread::msleep(static_cast<unsigned long>(ms));
    QCoreApplication::processEvents();
  }
  return SlideStop || InterruptSignal() != 0;
}

SlideKey FullScreenShow::WaitForKey(int rounds) {
  if (!WaitForSlideStop(rounds == kSlidePaused ? INT_MAX : rounds, slide_wait_ms_))
    return SlideKey::Elapsed;
  const SlideKey key = InterruptSignal() != 0 ? SlideKey::Stop : SlideStopKey;
  SlideStop = false;
  SlideStopKey = SlideKey::Stop;
  return key;
}

void FullScreenShow::ShowPaused(bool paused) {
  if (!form_.isNull())
    form_->SetPaused(paused);
}

void FullScreenShow::PutAway() {
  if (form_.isNull())
    return;
  form_->hide();
  form_->SetPaused(false);
  form_->Picture->Clear();
}

void FullScreenShow::ShowStill(const QImage& picture) {
  if (form_.isNull())
    return;
  SlideStop = false;
  form_->Picture->ShowCopy(picture);
  form_->FormShow();
  // The view also ends when the form is gone from the screen without a stop
  // (hidden or minimised by the window manager): nothing could stop it then.
  while (!WaitForSlideStop(1, full_wait_ms_) && !form_.isNull() && form_->isVisible() &&
         !form_->isMinimized()) {
  }
  PutAway();
}

}  // namespace vls
