#include "app/WindowPosition.h"

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

}  // namespace vls
