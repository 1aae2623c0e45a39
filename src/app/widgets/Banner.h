#pragma once
// The black banner over the pages (Panel2): the program's name, its web
// address (UrlLabel1) and "?" (TransparentButton1), which opens the help.

#include <QWidget>

namespace vls {

class Banner : public QWidget {
  Q_OBJECT

 public:
  explicit Banner(QWidget* parent = nullptr);

 signals:
  void HelpClicked();
};

}  // namespace vls
