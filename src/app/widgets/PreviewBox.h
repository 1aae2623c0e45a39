#pragma once
// The preview of plain pictures on the "En&crypt/Decrypt" page: the box
// "Viewer" (Viewer1) floating over the lower right of the work list, holding
// the picture control Preview. A picture whose file goes (wiped after its
// encryption, deleted, moved away) goes from the preview too.

#include <QGroupBox>
#include <QString>
#include <memory>

class QFileSystemWatcher;

namespace vls {

class PageHost;
class TPMultiMedia;
class WindowPictureMessages;

class PreviewBox : public QGroupBox {
  Q_OBJECT

 public:
  // Floats over page, hidden.
  PreviewBox(PageHost& host, QWidget& page);
  ~PreviewBox() override;

  // Loads the picture at once, the window busy meanwhile; an empty file is
  // told, not loaded, and a missing one is reported by the picture control.
  void ShowFile(const QString& path);
  void Clear();

 signals:
  void DoubleClicked();

 private:
  // Watches the file shown, and no other (none for an empty path).
  void Watch(const QString& path);

  PageHost& host_;
  std::unique_ptr<WindowPictureMessages> messages_;
  TPMultiMedia* picture_;
  QFileSystemWatcher* watcher_;
};

}  // namespace vls
