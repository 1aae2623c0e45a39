// The slide show over the work list and the "&Full" view, both on the
// full-screen form.

#include "app/widgets/FullScreenShow.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/ViewerPage.h"
#include "viewing/widgets/FullSlide.h"

namespace vls {

void TFmainVLS::SetFullSlide(TFullSlide* form) {
  full_screen_->SetForm(form);
}

std::size_t TFmainVLS::RowCount() const {
  return static_cast<std::size_t>(filesModel->Count());
}

std::string TFmainVLS::RowPath(std::size_t i) const {
  return filesModel->PathAt(static_cast<int>(i));
}

void TFmainVLS::StepAside() {
  full_screen_->StepAside();
}

bool TFmainVLS::WaitForStop(int rounds) {
  return full_screen_->WaitForStop(rounds);
}

void TFmainVLS::PutAway() {
  full_screen_->PutAway();
}

void TFmainVLS::RunSlideShow() {
  SlideStop = false;
  SlideShowFlow(*this, viewer_->Flow(), *full_screen_).Run();
}

}  // namespace vls
