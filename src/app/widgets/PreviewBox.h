#pragma once
// The preview of plain pictures on the "En&crypt/Decrypt" page: the box
// "Viewer" (Viewer1) floating over the lower right of the work list, holding
// the picture control Preview.

#include <QGroupBox>
#include <QString>
#include <memory>

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
  PageHost& host_;
  std::unique_ptr<WindowPictureMessages> messages_;
  TPMultiMedia* picture_;
};

}  // namespace vls
