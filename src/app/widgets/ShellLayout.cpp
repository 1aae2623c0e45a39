#include "app/widgets/ShellLayout.h"

#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vls {

QSplitter* LayOutShell(QWidget& window, const ShellParts& parts) {
  auto* root = new QVBoxLayout(&window);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  root->addWidget(parts.filter_bar);
  auto* sides = new QSplitter(Qt::Horizontal);
  sides->setObjectName("SplitterWnd1");
  sides->setHandleWidth(3);
  sides->addWidget(parts.folders);
  auto* right = new QWidget;
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->setSpacing(0);
  right_layout->addWidget(parts.banner);
  parts.tabs->setObjectName("TabNotebook1");
  parts.tabs->addTab(parts.crypt, "En&crypt/Decrypt");
  parts.tabs->addTab(parts.viewer, "&Viewer");
  parts.tabs->addTab(parts.launcher, "&Launcher");
  right_layout->addWidget(parts.tabs, 1);
  sides->addWidget(right);
  sides->setSizes({174, 426});
  sides->setStretchFactor(1, 1);
  root->addWidget(sides, 1);
  root->addWidget(parts.status);
  return sides;
}

}  // namespace vls
