#pragma once
// The full-screen form as the place views show their pictures, and the waits
// of the slide show and of "&Full". A wait ends on a key or a click on the
// form (SlideStop), on the form being closed, or on a request to stop the
// program. Without a form, a view meant for it decrypts and wipes and shows
// nothing.

#include <QImage>
#include <QPointer>
#include <memory>
#include <string>

#include "viewing/SlideShowFlow.h"
#include "viewing/ViewerFlow.h"

namespace vls {

class HeldPictureMessages;
class TFullSlide;

class FullScreenShow : public PictureShow {
 public:
  // The length of one wait of the slide show and of "&Full", read at each
  // wait (tests shorten them).
  FullScreenShow(const int& slide_wait_ms, const int& full_wait_ms);
  ~FullScreenShow() override;

  // The form's failed loads come back to the show instead of into boxes.
  void SetForm(TFullSlide* form);
  // The form is on the screen: a show or "&Full" is under way.
  bool Shown() const;

  void ShowMissing() override;
  ShowOutcome ShowPlainPicture(std::span<const std::uint8_t> plain,
                               const std::string& stored_name) override;

  // The form steps aside while the key is asked: it stays on top and would
  // hide the dialog.
  void StepAside();
  // Waits rounds of the slide show's wait (kSlidePaused: without end),
  // taking events, until a key or a stop: what it was, taken; Elapsed when
  // the rounds ran out.
  SlideKey WaitForKey(int rounds);
  void ShowPaused(bool paused);
  // Hides the form and empties its picture: no picture outlives its show.
  void PutAway();
  // "&Full": the picture on the form until a stop, or until the form is gone
  // from the screen without one; then the form is put away.
  void ShowStill(const QImage& picture);

 private:
  bool WaitForSlideStop(int rounds, int ms);

  QPointer<TFullSlide> form_;
  std::unique_ptr<HeldPictureMessages> held_;
  const int& slide_wait_ms_;
  const int& full_wait_ms_;
};

}  // namespace vls
