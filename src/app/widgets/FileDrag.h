#pragma once
// TFileDrag: makes its owner window accept files dragged from the desktop.
// Each drop of file URLs fills three lists in drop order (the full paths,
// their file-name parts and their extensions) and fires OnDrop once.

#include <QObject>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace vls {

class TFileDrag : public QObject {
 public:
  // Installs itself on the owner's events and becomes the owner's child, so
  // the owner frees it. Without an owner it stays inert and never accepts
  // drops. Drops start switched off.
  explicit TFileDrag(QWidget* owner);
  ~TFileDrag() override;

  // Full path of each dropped file, as the bytes the system gave (PathText).
  const QStringList& NameWithPath() const { return name_with_path_; }
  // The text after each path's last separator.
  const QStringList& NameOnly() const { return name_only_; }
  // The text after the first "." of each file-name part; empty without a dot.
  const QStringList& Extension() const { return extension_; }
  // Files in the last drop (0 before any drop).
  int FileCount() const { return file_count_; }

  bool EnableDrop() const { return enable_drop_; }
  // Switches the owner's acceptance of drops.
  void SetEnableDrop(bool enable);

  // Fired once after each drop, when the lists are filled.
  std::function<void(TFileDrag& sender)> OnDrop;

  // Fills the lists from dropped paths as a drop does, and fires OnDrop.
  void HandleDrop(const QStringList& paths);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* owner_;  // null without an owner and once the owner is being destroyed
  bool enable_drop_ = false;
  int file_count_ = 0;
  QStringList name_with_path_, name_only_, extension_;
};

}  // namespace vls
