#include "app/widgets/Banner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vls {

Banner::Banner(QWidget* parent) : QWidget(parent) {
  setObjectName("Panel2");
  setFixedHeight(64);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  p.setColor(QPalette::WindowText, Qt::white);
  setPalette(p);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 4, 10, 4);
  auto* logo = new QLabel("<b><i>MORVANE</i></b> Veilstore");
  logo->setObjectName("TransparentButton2");
  logo->setStyleSheet("color: #d0d8ff; font-size: 16pt;");
  // The program's own help, which every installation has (it is built in).
  auto* address = new QLabel("<a style=\"color:#7fb2ff\" href=\"help:index.html\">Help</a>");
  address->setObjectName("UrlLabel1");
  address->setToolTip("Open the Veilstore help");
  address->setAccessibleName("Veilstore help");
  address->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(address, &QLabel::linkActivated, this, &Banner::HelpClicked);
  auto* help = new QPushButton("?");
  help->setObjectName("TransparentButton1");
  help->setFlat(true);
  help->setFixedSize(32, 32);
  help->setStyleSheet("color: white; font-weight: bold; font-size: 14pt;");
  connect(help, &QPushButton::clicked, this, &Banner::HelpClicked);
  layout->addWidget(logo);
  layout->addStretch(1);
  layout->addWidget(address);
  layout->addWidget(help);
}

}  // namespace vls
