#pragma once
// The bar over the folder tree (PTGroup1): the list of file types
// (FilterComboBox1), whose chosen entry decides which files the file list
// shows, "up one level" (UpOneLevelBtn) and the folder the list shows
// (FolderPathLb).

#include <QString>
#include <QWidget>

#include "app/FilterList.h"

class QComboBox;
class QLabel;

namespace vls {

class FilterBar : public QWidget {
  Q_OBJECT

 public:
  explicit FilterBar(QWidget* parent = nullptr);

  // Replaces the list ("description|mask|...") unless it equals the current
  // one without regard to case; a new list shows its first entry and
  // announces that entry's mask.
  void SetFilterText(const QString& text);
  // The entry shown, as the user reads it ("All Files (*.*)").
  QString Description() const;
  // The path line: the folder, without its middle when it is too long.
  void ShowFolder(const QString& folder);

 signals:
  void MaskChosen(const QString& mask);
  void UpOneLevelClicked();

 private:
  void AnnounceMask();

  QComboBox* combo_;
  QLabel* path_;
  FilterList filter_;
};

}  // namespace vls
