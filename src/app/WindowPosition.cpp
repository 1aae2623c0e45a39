#include "app/WindowPosition.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace vls {

QSettings& ProgramSettings() {
  static QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Morvane", "VLS32");
  return settings;
}

std::optional<int> ParseCoordinate(const QString& text) {
  bool ok = false;
  const QString trimmed = text.trimmed();
  int value;
  if (trimmed.startsWith("0x", Qt::CaseInsensitive)) {
    value = static_cast<int>(trimmed.mid(2).toUInt(&ok, 16));
  } else {
    value = trimmed.toInt(&ok, 10);
  }
  if (!ok)
    return std::nullopt;
  return value;
}

std::optional<QPoint> LoadWindowPosition(QSettings& settings, const QString& group,
                                         QPoint current) {
  settings.beginGroup(group);
  const auto left = ParseCoordinate(settings.value("Left").toString());
  const auto top = ParseCoordinate(settings.value("Top").toString());
  settings.endGroup();
  if (!left && !top)
    return std::nullopt;
  return QPoint(left.value_or(current.x()), top.value_or(current.y()));
}

void SaveWindowPosition(QSettings& settings, const QString& group, QPoint topLeft) {
  settings.beginGroup(group);
  settings.setValue("Left", QString::number(topLeft.x()));
  settings.setValue("Top", QString::number(topLeft.y()));
  settings.endGroup();
  settings.sync();
}

std::optional<QSize> LoadWindowSize(QSettings& settings, const QString& group) {
  settings.beginGroup(group);
  const auto width = ParseCoordinate(settings.value("Width").toString());
  const auto height = ParseCoordinate(settings.value("Height").toString());
  settings.endGroup();
  if (!width || !height || *width <= 0 || *height <= 0)
    return std::nullopt;
  return QSize(*width, *height);
}

bool LoadWindowMaximized(QSettings& settings, const QString& group) {
  return settings.value(group + "/Maximized").toString() == "1";
}

void SaveWindowSize(QSettings& settings, const QString& group, QSize size, bool maximized) {
  settings.beginGroup(group);
  settings.setValue("Width", QString::number(size.width()));
  settings.setValue("Height", QString::number(size.height()));
  settings.setValue("Maximized", maximized ? "1" : "0");
  settings.endGroup();
}

QList<int> LoadPaneSizes(QSettings& settings, const QString& group, const QString& splitter) {
  const QString text = settings.value(group + "/" + splitter).toString();
  QList<int> sizes;
  // Larger than any screen: a splitter adds its panes up in int.
  constexpr int kMaxPane = 1 << 20;
  for (const QString& part : text.split(',')) {
    const auto size = ParseCoordinate(part);
    if (!size || *size < 0 || *size > kMaxPane)
      return {};
    sizes << *size;
  }
  return sizes;
}

void SavePaneSizes(QSettings& settings, const QString& group, const QString& splitter,
                   const QList<int>& sizes) {
  QStringList parts;
  for (const int size : sizes)
    parts << QString::number(size);
  settings.setValue(group + "/" + splitter, parts.join(','));
}

QString StartFolder(QSettings& settings, const QString& group, const QString& home) {
  const QString last = settings.value(group + "/Folder").toString();
  const QFileInfo folder(last);
  if (last.isEmpty() || !QDir::isAbsolutePath(last) || !folder.isDir())
    return home;
  return QDir::cleanPath(last);
}

void SaveLastFolder(QSettings& settings, const QString& group, const QString& folder) {
  if (!folder.isEmpty())
    settings.setValue(group + "/Folder", folder);
}

}  // namespace vls
