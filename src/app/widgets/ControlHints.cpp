#include "app/widgets/ControlHints.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHash>
#include <QProgressBar>
#include <QString>

#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"

namespace vls {
namespace {

// The hints of the controls that have none of their own, by object name.
const QHash<QString, QString>& Hints() {
  static const QHash<QString, QString> hints = {
      // "En&crypt/Decrypt"
      {"RadioEncrypt", "Encrypt the files of the list"},
      {"RadioDecrypt", "Decrypt the encrypted files of the list"},
      {"RadioWipe", "Overwrite and delete the files of the list"},
      {"RadioSlide", "Show the encrypted pictures of the list full screen"},
      {"files", "The files to work on; Delete removes the selected ones"},
      {"ButtHelp", "Help on encrypting and decrypting"},
      {"ButtOk", "Run the checked mode over the list"},
      {"PreviewCheck", "Preview the plain picture clicked in the file list"},
      {"Preview", "The picture clicked; double-click to open it in a window"},
      // "&Viewer"
      {"View_Butthelp", "Help on the viewer"},
      {"View_PMultiMedia1", "The decrypted picture; double-click to open it in a window"},
      {"GIFImage1", "The decrypted animation; double-click to open it in a window"},
      {"GaugeKey", "Time left before the key is put off"},
      // "&Launcher"
      {"Launch_butthelp", "Help on the launcher"},
      {"GaugeKey2", "Time left before the key is put off"},
  };
  return hints;
}

bool IsControl(const QWidget& widget) {
  return qobject_cast<const QAbstractButton*>(&widget) != nullptr ||
         qobject_cast<const QAbstractItemView*>(&widget) != nullptr ||
         qobject_cast<const QProgressBar*>(&widget) != nullptr ||
         qobject_cast<const TPMultiMedia*>(&widget) != nullptr ||
         qobject_cast<const TGIFImage*>(&widget) != nullptr;
}

// A caption as it reads: a single "&" marks the shortcut's letter, "&&"
// shows one "&".
QString WithoutShortcutMark(const QString& caption) {
  QString text;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && ++i == caption.size())
      break;
    text += caption[i];
  }
  return text;
}

void Describe(QWidget& control) {
  if (control.toolTip().isEmpty())
    control.setToolTip(Hints().value(control.objectName()));
  if (!control.accessibleName().isEmpty())
    return;
  const auto* button = qobject_cast<const QAbstractButton*>(&control);
  const QString caption = button != nullptr ? WithoutShortcutMark(button->text()) : QString();
  control.setAccessibleName(caption.isEmpty() ? control.toolTip() : caption);
}

}  // namespace

void DescribeControls(QWidget& page) {
  for (QWidget* child : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    // A control's own parts (a list's header and scroll bars) are its own.
    if (IsControl(*child))
      Describe(*child);
    else
      DescribeControls(*child);
  }
}

}  // namespace vls
