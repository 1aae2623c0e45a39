// The drop receiver on a real widget: drops of file URLs sent as the window
// system sends them, the three lists, the count, one OnDrop per drop, and
// the switch that turns drops off.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "app/WorkList.h"
#include "app/widgets/FileDrag.h"

using namespace vls;

class FileDragTest : public QObject {
  Q_OBJECT

 private:
  static std::unique_ptr<QMimeData> Files(const QStringList& paths, const QList<QUrl>& extra = {}) {
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
      urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls + extra);
    return mime;
  }
  // Sends a drag entry and then a drop; answers whether the drop was taken.
  static bool Drop(QWidget& target, const QMimeData& mime) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    drop.ignore();
    QCoreApplication::sendEvent(&target, &drop);
    if (drop.isAccepted() != enter.isAccepted())
      qWarning("entry and drop disagree");
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
  }

 private slots:
  void fillsTheListsInDropOrder() {
    QWidget window;
    TFileDrag drag(&window);
    int drops = 0;
    drag.OnDrop = [&](TFileDrag& sender) {
      QCOMPARE(&sender, &drag);
      ++drops;
    };
    QCOMPARE(drag.FileCount(), 0);
    QVERIFY(!window.acceptDrops());
    drag.SetEnableDrop(true);
    QVERIFY(window.acceptDrops());

    QVERIFY(Drop(window, *Files({"/a/photo.tar.gz", "/b/README", "/c/.profile"})));
    QCOMPARE(drops, 1);
    QCOMPARE(drag.FileCount(), 3);
    QCOMPARE(drag.NameWithPath(), QStringList({"/a/photo.tar.gz", "/b/README", "/c/.profile"}));
    QCOMPARE(drag.NameOnly(), QStringList({"photo.tar.gz", "README", ".profile"}));
    QCOMPARE(drag.Extension(), QStringList({"tar.gz", "", "profile"}));

    // The next drop replaces the lists.
    QVERIFY(Drop(window, *Files({"/d/one.txt"})));
    QCOMPARE(drops, 2);
    QCOMPARE(drag.FileCount(), 1);
    QCOMPARE(drag.NameWithPath(), QStringList({"/d/one.txt"}));
    QCOMPARE(drag.Extension(), QStringList({"txt"}));
  }

  void readsLongNamesWholeAndSkipsOtherUrls() {
    QWidget window;
    TFileDrag drag(&window);
    drag.SetEnableDrop(true);
    const QString folder = "/" + QString(150, 'f');
    const QString name = QString(200, 'n') + ".vlp";
    QVERIFY(Drop(window, *Files({folder + "/" + name}, {QUrl("https://example.org/x.vlp")})));
    QCOMPARE(drag.NameWithPath(), QStringList({folder + "/" + name}));
    QCOMPARE(drag.NameOnly(), QStringList({name}));
    QCOMPARE(drag.FileCount(), 1);

    // Nothing but web addresses: not a file drop at all.
    int drops = 0;
    drag.OnDrop = [&](TFileDrag&) { ++drops; };
    auto web = std::make_unique<QMimeData>();
    web->setUrls({QUrl("https://example.org/y.vlp")});
    QVERIFY(!Drop(window, *web));
    QCOMPARE(drops, 0);
    QCOMPARE(drag.FileCount(), 1);
  }

  void carriesTheSystemsBytesAndOnlyPathsOfThisMachine() {
    QWidget window;
    TFileDrag drag(&window);
    drag.SetEnableDrop(true);
    const auto urls = [](const QList<QByteArray>& encoded) {
      auto mime = std::make_unique<QMimeData>();
      QList<QUrl> list;
      for (const QByteArray& url : encoded)
        list << QUrl::fromEncoded(url);
      mime->setUrls(list);
      return mime;
    };
    QVERIFY(Drop(window, *urls({"file:///tmp/caf%E9.txt", "file://localhost/tmp/a%20b"})));
    QCOMPARE(drag.FileCount(), 2);
    QCOMPARE(PathBytes(drag.NameWithPath()[0]), std::string("/tmp/caf\xE9.txt"));
    QCOMPARE(drag.NameWithPath()[1], QString("/tmp/a b"));

    // A NUL byte would cut the path short; another host's file is not here.
    for (const char* url :
         {"file:///tmp/a%00b.txt", "file://elsewhere/etc/passwd", "file:notes.txt"}) {
      QVERIFY2(!Drop(window, *urls({url})), url);
    }
    QCOMPARE(drag.FileCount(), 2);
  }

  void takesNoDropsWhenSwitchedOffOrWithoutOwner() {
    QWidget window;
    TFileDrag drag(&window);
    int drops = 0;
    drag.OnDrop = [&](TFileDrag&) { ++drops; };
    QVERIFY(!Drop(window, *Files({"/a/b"})));
    drag.SetEnableDrop(true);
    drag.SetEnableDrop(false);
    QVERIFY(!window.acceptDrops());
    QVERIFY(!Drop(window, *Files({"/a/b"})));
    QCOMPARE(drops, 0);
    QCOMPARE(drag.FileCount(), 0);

    TFileDrag inert(nullptr);
    inert.SetEnableDrop(true);
    QVERIFY(!inert.EnableDrop());
  }

  void livesAndDiesWithItsOwner() {
    auto window = std::make_unique<QWidget>();
    QPointer<TFileDrag> drag = new TFileDrag(window.get());
    drag->SetEnableDrop(true);
    QCOMPARE(drag->parent(), window.get());
    window.reset();
    QVERIFY(drag.isNull());

    // Freed before its owner, it leaves the owner refusing drops.
    QWidget other;
    auto* gone = new TFileDrag(&other);
    gone->SetEnableDrop(true);
    delete gone;
    QVERIFY(!other.acceptDrops());
    QVERIFY(!Drop(other, *Files({"/a/b"})));
  }
};

QTEST_MAIN(FileDragTest)
#include "FileDrag_test.moc"
