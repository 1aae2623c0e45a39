// The views of the main window that list names from the disk — the file
// list, the folder tree and the work list — as they draw them: each hostile
// name escaped, and a name too long for its row cut in its middle, its end
// kept; such a row tells its whole name in a tooltip that takes no markup.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QListView>
#include <QPersistentModelIndex>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QSet>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>
#include <list>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "platform/AnsiText.h"
#include "support/HostileNames.h"
#include "support/WindowTestSupport.h"

using namespace vls;
using namespace vls::test;

namespace {

// Records what the style draws of each row's text in the room the row has.
class DrawnRows : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        element == CE_ItemViewItem && item != nullptr) {
      const QRect room = subElementRect(SE_ItemViewItemText, item, widget);
      const int margin = pixelMetric(PM_FocusFrameHMargin, nullptr, widget) + 1;
      rows[item->index] =
          item->fontMetrics.elidedText(item->text, item->textElideMode, room.width() - 2 * margin);
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }
  QString Drawn(QAbstractItemView* view, const QModelIndex& index) {
    rows.clear();
    view->scrollTo(index);
    view->viewport()->repaint();
    return rows.value(index);
  }

 private:
  mutable QMap<QPersistentModelIndex, QString> rows;
};

// A file and a folder of a name (any bytes), removed with the object: Qt
// cannot remove what it cannot name.
struct Made {
  std::string file, folder;
  bool ok = false;
  Made(std::string f, std::string d) : file(std::move(f)), folder(std::move(d)) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ok = fd >= 0 && close(fd) == 0 && mkdir(folder.c_str(), 0700) == 0;
  }
  ~Made() {
    unlink(file.c_str());
    rmdir(folder.c_str());
  }
};

}  // namespace

class NameListsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyListDrawsNamesEscapedAndKeepsTheirEnd() {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    SetMessageSink([](MessageKind, const QString&) {});
    const QString files = home.filePath("files"), folders = home.filePath("folders");
    QVERIFY(QDir().mkpath(files) && QDir().mkpath(folders));
    std::vector<HostileName> names;  // those that can name a file
    std::copy_if(HostileNames().begin(), HostileNames().end(), std::back_inserter(names),
                 [](const auto& name) { return name.raw.find('/') == std::string::npos; });
    std::list<Made> made;
    int listed = 0;  // names Qt's folder listing takes: UTF-8 ones
    for (const auto& name : names) {
      made.emplace_back(PathBytes(files) + "/" + name.raw, PathBytes(folders) + "/" + name.raw);
      QVERIFY2(made.back().ok, name.what);
      listed += IsValidUtf8(name.raw) ? 1 : 0;
    }

    TFmainVLS window({});
    QVERIFY(Click(window, "RadioWipe"));  // a wipe takes every name
    QAbstractItemView* file_list = Find<QListView>(window, "FileListBox1");
    QAbstractItemView* tree = Find<QTreeView>(window, "PTShellTree1");
    QAbstractItemView* work_list = Find<QTreeView>(window, "files");
    QFileSystemModel& folder_model = FolderModelOf(window);
    TWorkList& rows = WorkListOf(window);
    DrawnRows style;
    for (QAbstractItemView* view : {file_list, tree, work_list})
      view->setStyle(&style);
    window.show();
    QVERIFY(ListFolder(window, files, listed));
    const QModelIndex tree_folder = folder_model.index(folders);
    folder_model.fetchMore(tree_folder);
    QTRY_COMPARE(folder_model.rowCount(tree_folder), listed);

    QSet<QString> cut_in;  // views that cut a name short
    for (const auto& name : names) {
      const std::string file = PathBytes(files) + "/" + name.raw;
      const int row = rows.Count();
      window.FileDrag1Drop({PathText(file)});
      QCOMPARE(rows.Count(), row + 1);
      QCOMPARE(rows.PathAt(row), file);
      const QString shown = QString::fromStdString(name.shown);
      const QString shown_path = files + "/" + shown;
      struct Place {
        QAbstractItemView* view;
        QModelIndex index;
        QString shown;
      };
      std::vector<Place> places = {{work_list, rows.index(row, TWorkList::ColName), shown},
                                   {work_list, rows.index(row, TWorkList::ColPath), shown_path}};
      if (IsValidUtf8(name.raw)) {
        places.push_back({file_list, FileModelOf(window).index(PathText(file)), shown});
        places.push_back(
            {tree, folder_model.index(folders + "/" + QString::fromUtf8(name.raw)), shown});
      }
      for (const Place& place : places) {
        // Others than the views read the work list's texts too.
        if (place.view == work_list)
          QVERIFY2(place.index.data().toString() == place.shown, name.what);
        const QString where = QString(name.what) + " in " + place.view->objectName();
        const auto* delegate =
            qobject_cast<QStyledItemDelegate*>(place.view->itemDelegateForIndex(place.index));
        const QString text = delegate->displayText(place.index.data(), QLocale());
        QVERIFY2(text == place.shown, qPrintable(where + ": " + text));
        const QString drawn = style.Drawn(place.view, place.index);
        if (drawn == text)
          continue;
        // Cut short: the middle goes, and the end keeps the name's type
        // whole, or is all the row shows where it is too narrow for that.
        cut_in << place.view->objectName();
        const qsizetype ellipsis = drawn.indexOf(u'\u2026');
        const QString type = text.mid(text.lastIndexOf(u'.'));
        QVERIFY2(ellipsis >= 0 && text.endsWith(drawn.mid(ellipsis + 1)) &&
                     (type.size() > 5 || drawn.endsWith(type) || ellipsis == 0),
                 qPrintable(where + ": " + drawn));
        const QRect rect = place.view->visualRect(place.index);
        QHelpEvent help(QEvent::ToolTip, rect.center(),
                        place.view->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(place.view->viewport(), &help);
        QTextDocument tip;
        tip.setHtml(QToolTip::text());
        // (A rich text's plain form turns no-break spaces into spaces.)
        QVERIFY2(tip.toPlainText() == QString(place.shown).replace(QChar::Nbsp, u' '),
                 qPrintable(where + ": " + QToolTip::text()));
      }
    }
    // Long names are cut in every view, not scrolled out of sight.
    QCOMPARE(cut_in.size(), 3);
  }

  // The file list takes a file's icon from its name, as the work list does,
  // and never from its contents: "notes" holds a PNG picture and draws as a
  // file of no known type; "picture.png" holds text and draws as a picture.
  void fileIconsComeFromTheNameAsInTheWorkList() {
    QTemporaryDir dir;
    // A theme with one colour per kind of file.
    QVERIFY(QDir(dir.path()).mkpath("theme/kinds/16x16/mimetypes"));
    QFile index(dir.filePath("theme/kinds/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write(
        "[Icon Theme]\nName=kinds\nDirectories=16x16/mimetypes\n"
        "[16x16/mimetypes]\nSize=16\nType=Fixed\n");
    index.close();
    for (const auto& [kind, colour] :
         {std::pair{"image-x-generic", Qt::red}, std::pair{"application-x-generic", Qt::blue}}) {
      QImage square(16, 16, QImage::Format_RGB32);
      square.fill(colour);
      QVERIFY(square.save(dir.filePath(QString("theme/kinds/16x16/mimetypes/%1.png").arg(kind))));
    }
    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setThemeSearchPaths({dir.filePath("theme")});
    QIcon::setThemeName("kinds");
    const auto restore = qScopeGuard([&] {
      QIcon::setThemeSearchPaths(paths);
      QIcon::setThemeName(theme);
    });
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (const auto& [name, bytes] :
         {std::pair{"notes", png}, std::pair{"picture.png", QByteArray("text")}}) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    TFmainVLS window({});
    QVERIFY(ListFolder(window, dir.path(), 2));
    QFileSystemModel& files = FileModelOf(window);
    const auto colour = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage().pixel(8, 8); };
    const auto file_icon = [&](const char* name) {
      return files.fileIcon(files.index(dir.filePath(name)));
    };
    QCOMPARE(colour(file_icon("notes")), QColor(Qt::blue).rgb());
    QCOMPARE(colour(file_icon("picture.png")), QColor(Qt::red).rgb());
    const TWorkList& rows = WorkListOf(window);
    window.FileDrag1Drop({dir.filePath("notes"), dir.filePath("picture.png")});
    for (int row = 0; row < 2; ++row) {
      const QVariant icon = rows.data(rows.index(row, 0), Qt::DecorationRole);
      QCOMPARE(colour(icon.value<QIcon>()), QColor(row == 0 ? Qt::blue : Qt::red).rgb());
    }
  }
};

QTEST_MAIN(NameListsTest)
#include "NameLists_test.moc"
