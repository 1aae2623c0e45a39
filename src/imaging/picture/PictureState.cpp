#include "imaging/picture/PictureState.h"

namespace vls {

ProgressProc ProgressHook;

void ResetPictureState() {
  ProgressHook = nullptr;
}

}  // namespace vls
