#pragma once
// Small parts the pages of the main window share: their push buttons, the
// set-up of their picture controls, and the message boxes their picture
// loads report through.

#include <QString>
#include <QStringList>

#include "imaging/widgets/PMultiMedia.h"

class QPushButton;
class QWidget;

namespace vls {

// A push button of the pages' width, with its object name and hint.
QPushButton* PageButton(const QString& text, const char* name, const QString& hint = QString());

// Black, fitted with its proportions kept, dithered, read at the screen's
// resolution; failed loads are told through messages.
void SetUpPicture(TPMultiMedia& control, PictureMessages& messages);

// What a drop on the viewer or the launcher page opens: of the first five
// files dropped, those with the extension ("VLP"), in any case.
QStringList ContainersAmong(const QStringList& dropped, const QString& extension);

// Failed picture loads told in the message boxes of the page's window.
class WindowPictureMessages : public PictureMessages {
 public:
  explicit WindowPictureMessages(QWidget& page) : page_(page) {}
  void ShowError(const QString& text) override;
  void ShowInformation(const QString& text) override;

 private:
  QWidget& page_;
};

}  // namespace vls
