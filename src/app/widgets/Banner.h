#pragma once
// The black banner over the pages (Panel2): the program's name, a link to
// its help (UrlLabel1) and "?" (TransparentButton1), which both open the
// help's contents.

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
