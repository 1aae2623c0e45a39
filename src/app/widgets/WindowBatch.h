#pragma once
// The main window as the batch drivers see it.

#include "protect/Batch.h"

namespace vls {

class TFmainVLS;

class WindowBatch : public BatchWindow {
 public:
  explicit WindowBatch(TFmainVLS& window) : window_(window) {}
  void RequestEncryptionKey() override;
  void RequestDecryptionKey() override;
  void BringToFront() override;
  void SetBusy(bool busy) override;
  void DisableListButtons() override;
  void SetStatusLine(const std::string& text, bool repaint_now) override;
  std::size_t RowCount() const override;
  std::string RowPath(std::size_t i) const override;
  void ClearList() override;
  void RereadFolder() override;

 private:
  TFmainVLS& window_;
};

}  // namespace vls
