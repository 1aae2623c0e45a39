#include "app/widgets/HelpWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/widgets/MessageBoxes.h"

namespace vls {

QString HelpTopicOf(int context) {
  switch (context) {
    case 1080:
      return "viewer.html";
    case 1090:
      return "launcher.html";
    default:
      return "index.html";
  }
}

QString HelpFolder() {
  const QString program = QCoreApplication::applicationDirPath();
  const QStringList candidates = {program + "/../share/veilstore/help",
                                  program + "/../../share/help", ":/help"};
  for (const QString& folder : candidates) {
    if (QFileInfo::exists(folder + "/index.html"))
      return QDir::cleanPath(folder);
  }
  return QString();
}

void ShowHelp(QWidget* parent, int context) {
  const QString folder = HelpFolder();
  const QString page = folder + "/" + HelpTopicOf(context);
  if (folder.isEmpty() || !QFileInfo::exists(page)) {
    ShowMessage(parent, MessageKind::Error,
                "The help file " + HelpTopicOf(context) + " was not found.");
    return;
  }
  static QPointer<QDialog> window;
  if (!window) {
    window = new QDialog(nullptr);
    window->setObjectName("HelpWindow");
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle("Veilstore Help");
    window->resize(640, 520);
    auto* browser = new QTextBrowser(window);
    browser->setObjectName("HelpBrowser");
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
  }
  auto* browser = window->findChild<QTextBrowser*>("HelpBrowser");
  browser->setSearchPaths({folder});
  browser->setSource(page.startsWith(":") ? QUrl("qrc" + page) : QUrl::fromLocalFile(page));
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace vls
