#include "app/DesktopShortcut.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include "app/WindowPosition.h"

namespace vls {

QString CreateDesktopShortcut(const QString& desktopFolder, const QString& programPath) {
  if (desktopFolder.isEmpty() || !QDir(desktopFolder).exists()) {
    return QString("Folder \"%1\" not found").arg(desktopFolder);
  }
  const QString path = QDir(desktopFolder).filePath("Veilstore.desktop");
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return "Cannot write " + path;
  const QString text = QString(
                           "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=Veilstore\n"
                           "Comment=MORVANE Veilstore\n"
                           "Exec=\"%1\" %f\n"
                           "Icon=veilstore\n"
                           "Terminal=false\n")
                           .arg(programPath);
  file.write(text.toUtf8());
  if (!file.commit())
    return "Cannot write " + path;
  QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
  return QString();
}

QString PlaceDesktopShortcutOnce(const QString& programPath) {
  QSettings& settings = ProgramSettings();
  if (settings.value("Shortcut/Placed", false).toBool())
    return QString();
  // A session without a desktop folder has no desktop to place it on.
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  const QString failure = (desktop == home || !QDir(desktop).exists())
                              ? QString()
                              : CreateDesktopShortcut(desktop, programPath);
  // Asked once: a failure is reported at this start and not repeated at every start.
  settings.setValue("Shortcut/Placed", true);
  settings.sync();
  return failure;
}

}  // namespace vls
