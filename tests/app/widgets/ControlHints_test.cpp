// Every control of the three pages says what it does: a tooltip to the
// mouse and an accessible name to a screen reader. The walk takes every
// button, list, gauge and picture control, hidden ones too.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "app/widgets/CryptPage.h"
#include "app/widgets/LauncherPage.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/ViewerPage.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"

using namespace vls;

namespace {

bool IsControl(QWidget* widget) {
  return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
         qobject_cast<QProgressBar*>(widget) || qobject_cast<TPMultiMedia*>(widget) ||
         qobject_cast<TGIFImage*>(widget);
}

// The controls under widget, not looking inside a control (a list's header
// and scroll bars are its own).
void CollectControls(QWidget* widget, QList<QWidget*>& controls) {
  for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (IsControl(child))
      controls << child;
    else
      CollectControls(child, controls);
  }
}

}  // namespace

class ControlHintsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

 private slots:
  void initTestCase() {
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    qputenv("XDG_RUNTIME_DIR", "");
  }

  void everyControlOfThePagesHasATooltipAndAName() {
    TFmainVLS window({});
    const struct {
      const char* page;
      std::function<QWidget*()> find;
      int at_least;  // controls the page has: the walk must see them all
    } pages[] = {
        {"CryptPage", [&] { return window.findChild<CryptPage*>(); }, 13},
        {"ViewerPage", [&] { return window.findChild<ViewerPage*>(); }, 8},
        {"LauncherPage", [&] { return window.findChild<LauncherPage*>(); }, 3},
    };
    for (const auto& page : pages) {
      QWidget* root = page.find();
      QVERIFY2(root != nullptr, page.page);
      QList<QWidget*> controls;
      CollectControls(root, controls);
      QVERIFY2(controls.size() >= page.at_least, page.page);
      for (QWidget* control : controls) {
        const QString where =
            QString("%1 %2 (%3)")
                .arg(page.page, control->objectName(), control->metaObject()->className());
        QVERIFY2(!control->toolTip().trimmed().isEmpty(), qPrintable(where + ": no tooltip"));
        QVERIFY2(!control->accessibleName().trimmed().isEmpty(),
                 qPrintable(where + ": no accessible name"));
        QVERIFY2(!control->accessibleName().contains(u'&'), qPrintable(where));
      }
    }
  }
};

QTEST_MAIN(ControlHintsTest)
#include "ControlHints_test.moc"
