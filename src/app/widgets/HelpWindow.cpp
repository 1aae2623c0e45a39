#include "app/widgets/HelpWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QShortcut>
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

QString PageHelpTopic(int page) {
  switch (page) {
    case 1:
      return HelpTopicOf(1080);
    case 2:
      return HelpTopicOf(1090);
    default:
      return HelpTopicOf(1000) + "#crypt";
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
  ShowHelpTopic(parent, HelpTopicOf(context));
}

void AddHelpKey(QWidget& window, std::function<QString()> topic) {
  auto* key = new QShortcut(QKeySequence::HelpContents, &window);
  QObject::connect(key, &QShortcut::activated, &window,
                   [&window, topic = std::move(topic)] { ShowHelpTopic(&window, topic()); });
}

void ShowHelpTopic(QWidget* parent, const QString& topic) {
  const QString file = topic.section('#', 0, 0);
  const QString anchor = topic.section('#', 1);
  const QString folder = HelpFolder();
  const QString page = folder + "/" + file;
  if (folder.isEmpty() || !QFileInfo::exists(page)) {
    ShowMessage(parent, MessageKind::Error, "The help file " + file + " was not found.");
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
  QUrl source = page.startsWith(":") ? QUrl("qrc" + page) : QUrl::fromLocalFile(page);
  if (!anchor.isEmpty())
    source.setFragment(anchor);
  browser->setSource(source);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace vls
