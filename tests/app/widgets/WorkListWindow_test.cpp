// The work list and the batches through the real window: Add, Add All under
// each mode's rules, drops, Remove and Clear, and whole encrypt, decrypt and
// wipe batches with the dialogs answered by their test hooks.

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <cstdio>

#include "app/WindowPosition.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusControls.h"
#include "cipher/Cipher.h"
#include "platform/FileServices.h"
#include "protect/Container.h"
#include "protect/Feedback.h"
#include "protect/ProtectState.h"
#include "protect/SealedFormat.h"
#include "protect/SealedKeys.h"
#include "protect/widgets/Ask.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/PasswordDialogs.h"

using namespace vls;
using namespace vls::test;

namespace {

// What the user sees of the status line and the busy lamp, paint by paint.
class PaintLog : public QObject {
 public:
  explicit PaintLog(TFmainVLS& window)
      : status_(Find<QLabel>(window, "HintLb")), busy_(Find<LedLamp>(window, "LedBusy")) {
    status_->installEventFilter(this);
    busy_->installEventFilter(this);
  }
  QStringList seen;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      seen << (watched == status_ ? status_->text() : busy_->isOn() ? "busy" : "idle");
    }
    return false;
  }

 private:
  QLabel* status_;
  LedLamp* busy_;
};

}  // namespace

class WorkListWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList messages_;

  static void Touch(const QString& path, const QByteArray& bytes = "data") {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

 private slots:
  void initTestCase() {
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    qputenv("XDG_RUNTIME_DIR", "");
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
  }

  void init() {
    messages_.clear();
    ResetProtectState();
  }

  void addSkipsDuplicatesAndRemoveAndClearResetTheButtons() {
    QTemporaryDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
      Touch(dir.filePath(name));
    TFmainVLS window({});
    QVERIFY(ListFolder(window, dir.path(), 3));
    SelectFiles(window, {"b.txt"});
    QVERIFY(Click(window, "Add"));
    SelectFiles(window, {"a.txt", "b.txt", "c.txt"});
    QVERIFY(Click(window, "Add"));
    // b.txt stays first; the other two follow in the file list's own order.
    QStringList listed;
    const QFileSystemModel& files = FileModelOf(window);
    const QModelIndex root = Find<QListView>(window, "FileListBox1")->rootIndex();
    for (int row = 0; row < files.rowCount(root); ++row) {
      const QString name = files.fileName(files.index(row, 0, root));
      if (name != "b.txt")
        listed << name;
    }
    QCOMPARE(RowNames(window), QStringList({"b.txt"}) + listed);
    QVERIFY(!Find<QPushButton>(window, "ButtOk")->isHidden());
    QVERIFY(Find<QPushButton>(window, "Btn_Clear")->isEnabled());
    QCOMPARE(StatusText(window), QString("3 File(s) 12 Byte(s)"));

    QTest::keyClick(Find<QTreeView>(window, "files"), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(Click(window, "Btn_Remove"));
    QCOMPARE(WorkListOf(window).Count(), 0);
    QCOMPARE(StatusText(window), QString("0 File(s) 0 Byte(s)"));
    QVERIFY(Find<QPushButton>(window, "ButtOk")->isHidden());
    QVERIFY(!Find<QPushButton>(window, "Btn_Remove")->isEnabled());

    SelectFiles(window, {"a.txt"});
    QVERIFY(Click(window, "Add"));
    QVERIFY(Click(window, "Btn_Clear"));
    QCOMPARE(WorkListOf(window).Count(), 0);
    QCOMPARE(StatusText(window), QString());
    QVERIFY(!Find<QPushButton>(window, "Btn_Clear")->isEnabled());
  }

  void theDeleteKeyRemovesTheSelectedRows() {
    QTemporaryDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
      Touch(dir.filePath(name));
    TFmainVLS window({});
    window.FileDrag1Drop({dir.filePath("a.txt"), dir.filePath("b.txt"), dir.filePath("c.txt")});
    auto* list = Find<QTreeView>(window, "files");
    list->selectionModel()->select(list->model()->index(1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(RowNames(window), QStringList({"a.txt", "c.txt"}));
    QCOMPARE(StatusText(window), QString("2 File(s) 8 Byte(s)"));

    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(WorkListOf(window).Count(), 0);
    QVERIFY(Find<QPushButton>(window, "ButtOk")->isHidden());
    QVERIFY(!Find<QPushButton>(window, "Btn_Remove")->isEnabled());
  }

  void selectAllAddsOneRowPerFileNotPerCell() {
    QTemporaryDir dir;
    Touch(dir.filePath("a.txt"), "1");
    TFmainVLS window({});
    QVERIFY(Click(window, "RadioWipe"));
    QVERIFY(ListFolder(window, dir.path(), 1));
    QTest::keyClick(Find<QListView>(window, "FileListBox1"), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(Click(window, "Add"));
    QCOMPARE(RowNames(window), QStringList({"a.txt"}));
  }

  void rowsShowTheirFilesIcon() {
    QTemporaryDir dir;
    Touch(dir.filePath("a.txt"));
    TFmainVLS window({});
    QVERIFY(Click(window, "RadioWipe"));
    window.FileDrag1Drop({dir.filePath("a.txt"), dir.path()});
    for (int row = 0; row < 2; ++row) {
      const QVariant icon = WorkListOf(window).index(row, 0).data(Qt::DecorationRole);
      QVERIFY(!icon.value<QIcon>().isNull());
    }
  }

  void namesThatAreNotUtf8ArriveAsTheirBytes() {
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xE9.txt";
    FILE* raw = std::fopen(name.constData(), "wb");  // QFile cannot name it
    QVERIFY(raw != nullptr);
    // Nor can QTemporaryDir, which would leave the folder behind.
    const auto remove = qScopeGuard([&name] { std::remove(name.constData()); });
    std::fputs("abc", raw);
    std::fclose(raw);
    TFmainVLS window({});
    QVERIFY(Click(window, "RadioWipe"));
    QMimeData mime;
    mime.setUrls({QUrl::fromEncoded("file://" + name.toPercentEncoding("/"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    QCOMPARE(WorkListOf(window).Count(), 1);
    QCOMPARE(WorkListOf(window).PathAt(0), name.toStdString());
    QCOMPARE(WorkListOf(window).SizeAt(0), 3);

    // Qt's listing leaves the name out of the file list; the status line says so.
    Touch(dir.filePath("plain.txt"));
    QVERIFY(ListFolder(window, dir.path(), 1));
    QTRY_VERIFY(StatusText(window).startsWith("Not listed here: 1 file(s)"));
  }

  void addAllShowsItIsBusyBeforeItWalks() {
    QTemporaryDir empty;
    TFmainVLS window({});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(ListFolder(window, empty.path(), 0));
    PaintLog painted(window);
    TAsk::SetNextAnswer(kAnswerNo);
    QVERIFY(Click(window, "AddALL"));
    QVERIFY2(painted.seen.contains("Browsing Directories..."), qPrintable(painted.seen.join('|')));
    QVERIFY2(painted.seen.contains("busy"), qPrintable(painted.seen.join('|')));
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());
  }

  void addAllFollowsTheModeRules() {
    QTemporaryDir dir;
    for (const char* name : {"a.txt", "b.vlp", "c.AS1", "d.as1"})
      Touch(dir.filePath(name));
    TFmainVLS window({});
    QVERIFY(ListFolder(window, dir.path(), 4));
    TAsk::SetNextAnswer(kAnswerNo);
    QVERIFY(Click(window, "AddALL"));
    QStringList rows = RowNames(window);
    rows.sort();
    QCOMPARE(rows, QStringList({"a.txt", "d.as1"}));
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());

    // Wipe with a filter whose description names no known kind adds nothing.
    QVERIFY(Click(window, "RadioWipe"));
    window.SetFilterText("Odd files|*.*");
    TAsk::SetNextAnswer(kAnswerYes);
    QVERIFY(Click(window, "AddALL"));
    QCOMPARE(WorkListOf(window).Count(), 0);

    TAsk::SetNextAnswer(kAnswerCancel);
    window.SetFilterText(DefaultFilterText);
    QVERIFY(Click(window, "AddALL"));
    QCOMPARE(WorkListOf(window).Count(), 0);
  }

  // Drops on the viewer and launcher pages: ViewerWindow_test, LauncherWindow_test.
  void dropsOnTheFirstPageFollowTheMode() {
    QTemporaryDir dir;
    Touch(dir.filePath("x.jpg"));
    Touch(dir.filePath("y.vlp"));
    TFmainVLS window({});
    QVERIFY(Click(window, "RadioDecrypt"));
    window.FileDrag1Drop({dir.filePath("x.jpg"), dir.filePath("y.vlp")});
    QCOMPARE(RowNames(window), QStringList({"y.vlp"}));
  }

  void encryptAndDecryptBatchesRunOnTheFilesOnDisk() {
    QTemporaryDir dir;
    Touch(dir.filePath("a.txt"), "alpha");
    Touch(dir.filePath("b.txt"), "bravo");
    TFmainVLS window({});
    QVERIFY(ListFolder(window, dir.path(), 2));
    SelectFiles(window, {"a.txt", "b.txt"});
    QVERIFY(Click(window, "Add"));
    SetNextPasswordAnswer("first password");
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(QFile::exists(dir.filePath("a.vld")));
    QVERIFY(!QFile::exists(dir.filePath("a.txt")));
    QCOMPARE(WorkListOf(window).Count(), 0);
    QVERIFY(KeyString.empty());
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());
    QVERIFY(Find<QPushButton>(window, "ButtOk")->isHidden());

    // A third container under another password.
    Touch(dir.filePath("c.txt"), "charlie");
    window.FileDrag1Drop({dir.filePath("c.txt")});
    SetNextPasswordAnswer("other password");
    QVERIFY(Click(window, "ButtOk"));

    QVERIFY(Click(window, "RadioDecrypt"));
    window.FileDrag1Drop({dir.filePath("a.vld"), dir.filePath("b.vld"), dir.filePath("c.vld")});
    QCOMPARE(WorkListOf(window).Count(), 3);
    SetNextPasswordAnswer("first password");
    QVERIFY(Click(window, "ButtOk"));
    QCOMPARE(messages_.last(), QString("2 files decrypted, 1 files with wrong key."));
    QFile a(dir.filePath("a.txt"));
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("alpha"));
    QVERIFY(!QFile::exists(dir.filePath("a.vld")));
    QVERIFY(QFile::exists(dir.filePath("c.vld")));
    QVERIFY(KeyString.empty());

    // A cancelled password leaves the list as it was.
    window.FileDrag1Drop({dir.filePath("c.vld")});
    SetNextPasswordCancel();
    QVERIFY(Click(window, "ButtOk"));
    QCOMPARE(WorkListOf(window).Count(), 1);
  }

  // The dialog's remembered choice writes sealed containers; one decryption
  // batch reads them beside a classic one and drops their derived keys.
  void aSealedBatchRoundTripsBesideAClassicContainer() {
    QTemporaryDir dir;
    Touch(dir.filePath("a.txt"), "alpha");
    Touch(dir.filePath("b.txt"), "bravo");
    SetSealingCost({1, 8 * 1024});
    const auto restore = qScopeGuard([] {
      SetSealingCost({});
      ProgramSettings().remove("Encryption/Strong");
    });
    TFmainVLS window({});
    for (const bool strong : {true, false}) {
      ProgramSettings().setValue("Encryption/Strong", strong);
      window.FileDrag1Drop({dir.filePath(strong ? "a.txt" : "b.txt")});
      SetNextPasswordAnswer("one password");
      QVERIFY(Click(window, "ButtOk"));
    }
    for (const auto& [name, sealed] : {std::pair{"a.vld", true}, std::pair{"b.vld", false}}) {
      UniqueFd container = OpenForReading(dir.filePath(name).toStdString());
      QCOMPARE(IsSealedContainer(container), sealed);
    }
    QCOMPARE(DerivedKeyCount(), std::size_t{0});

    QVERIFY(Click(window, "RadioDecrypt"));
    window.FileDrag1Drop({dir.filePath("a.vld"), dir.filePath("b.vld")});
    SetNextPasswordAnswer("one password");
    QVERIFY(Click(window, "ButtOk"));
    QCOMPARE(messages_.last(), QString("2 files decrypted."));
    for (const auto& [name, bytes] : {std::pair{"a.txt", "alpha"}, std::pair{"b.txt", "bravo"}}) {
      QFile plain(dir.filePath(name));
      QVERIFY(plain.open(QIODevice::ReadOnly));
      QCOMPARE(plain.readAll(), QByteArray(bytes));
    }
    QCOMPARE(DerivedKeyCount(), std::size_t{0});
  }

  // A long encryption keeps the window answering: a timer fires during the
  // work, a click on another control does nothing, and Escape stops the work
  // inside the file, the source whole and no partial container left.
  void escapeCancelsALongEncryptionWhileTheWindowAnswers() {
    QTemporaryDir dir;
    const QByteArray big(48 << 20, 'x');
    Touch(dir.filePath("big.txt"), big);
    TFmainVLS window({});
    window.show();
    window.FileDrag1Drop({dir.filePath("big.txt")});
    bool answered = false, cancel_shown = false;
    QTimer::singleShot(0, &window, [&] {
      answered = true;
      cancel_shown = Find<QPushButton>(window, "BtnCancel")->isVisible();
      QTest::mouseClick(Find<QRadioButton>(window, "RadioDecrypt"), Qt::LeftButton);
      QTest::keyClick(&window, Qt::Key_Escape);
    });
    SetNextPasswordAnswer("long password");
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(answered);
    QVERIFY(cancel_shown);
    QVERIFY(!Find<QPushButton>(window, "BtnCancel")->isVisible());
    QVERIFY(Find<QRadioButton>(window, "RadioEncrypt")->isChecked());
    QCOMPARE(messages_.last(), QString("Cancelled: 0 of 1 files encrypted."));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"big.txt"});
    QFile source(dir.filePath("big.txt"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY(source.readAll() == big);
    QVERIFY(KeyString.empty());
  }

  void aWipeBatchNamesTheFileItCouldNotWipe() {
    QTemporaryDir dir;
    Touch(dir.filePath("a.txt"));
    TFmainVLS window({});
    QVERIFY(Click(window, "RadioWipe"));
    window.FileDrag1Drop({dir.filePath("a.txt"), dir.filePath("vanished.txt")});
    QCOMPARE(WorkListOf(window).Count(), 2);
    TAsk::SetNextAnswer(kAnswerYes);
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(!QFile::exists(dir.filePath("a.txt")));
    QCOMPARE(messages_.size(), 2);
    QVERIFY(messages_[0].contains("vanished.txt"));
    QCOMPARE(messages_[1], QString("1 files wiped."));
    QCOMPARE(WorkListOf(window).Count(), 0);
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());
  }
};

QTEST_MAIN(WorkListWindowTest)
#include "WorkListWindow_test.moc"
