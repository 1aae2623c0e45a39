#include "app/widgets/PageParts.h"

#include <QFileInfo>
#include <QPushButton>

#include "app/widgets/MessageBoxes.h"

namespace vls {

QPushButton* PageButton(const QString& text, const char* name, const QString& hint) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  if (!hint.isEmpty())
    button->setToolTip(hint);
  button->setMinimumWidth(76);
  return button;
}

void SetUpPicture(TPMultiMedia& control, PictureMessages& messages) {
  control.SetColor(Qt::black);
  control.SetStretchRatio(true);
  control.SetImageDither(true);
  control.SetImageReadRes(LoadResolution::AutoMatic);
  control.SetMessages(&messages);
}

QStringList ContainersAmong(const QStringList& dropped, const QString& extension) {
  QStringList containers;
  for (const QString& path : dropped.mid(0, 5)) {
    if (QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) == 0)
      containers << path;
  }
  return containers;
}

void WindowPictureMessages::ShowError(const QString& text) {
  ShowMessage(page_.window(), MessageKind::Error, text);
}

void WindowPictureMessages::ShowInformation(const QString& text) {
  ShowMessage(page_.window(), MessageKind::Information, text);
}

}  // namespace vls
