// The slide show and "&Full" through the real window and full-screen form,
// with the waits shortened: the password is asked once, missing rows are
// skipped, a key press ends the show, and the key is gone at the end.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <functional>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "platform/AnsiText.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "protect/widgets/Ask.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"
#include "viewing/widgets/WindowView.h"

using namespace vls;
using namespace vls::test;

class SlideShowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList messages_;

  // Encrypts a small picture into NAME.vlp with the password, leaving only the container.
  static QString EncryptedPicture(const QString& folder, const QString& name, QColor color) {
    // Noisy, so each picture has bytes of its own.
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        image.setPixel(x, y, color.rgb() ^ static_cast<QRgb>((x * 7919 + y * 104729) & 0x3F3F3F));
      }
    }
    const QString plain = QDir(folder).filePath(name + ".png");
    image.save(plain);
    KeyString.Set(ToAnsi("slide password"));
    SilentFeedback feedback;
    KernelVolumeFacts volumes;
    KeepOriginals = false;
    CryptFile(plain.toStdString(), kModeEncrypt, false, {feedback, volumes, CryptPurpose::Batch});
    DropKey();
    return QDir(folder).filePath(name + ".vlp");
  }

  // Shows the container on the "&Viewer" page, which enables "&Full".
  static bool View(TFmainVLS& window, const QString& container) {
    ShowPage(window, kPageViewer);
    SetNextPasswordAnswer("slide password");
    return window.ViewEncryptedPicture(container) &&
           Find<QPushButton>(window, "View_FullScreen")->isEnabled();
  }

 private slots:
  void initTestCase() {
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home_.path() + "/run").toUtf8());
    QDir().mkpath(home_.path() + "/run");
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
  }

  void init() {
    DropKey();
    ClearNextPasswordAnswer();
  }

  void showsEveryRowAsksOnceAndEndsWithoutAKey() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const QString b = EncryptedPicture(dir.path(), "b", Qt::green);
    const QString c = EncryptedPicture(dir.path(), "c", Qt::blue);
    TFmainVLS window({});
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 1;
    QVERIFY(Click(window, "RadioSlide"));
    window.FileDrag1Drop({a, dir.filePath("missing.vlp"), b, c});
    QCOMPARE(WorkListOf(window).Count(), 4);
    SetNextPasswordAnswer("slide password");
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(QString::fromStdString(PlainNamePath).endsWith("c.png"));  // the last one shown
    QVERIFY(!form.isVisible());
    QVERIFY2(form.MultiMedia1->Picture().isNull(), "the form keeps no picture");
    QVERIFY(KeyString.empty());
    QVERIFY(messages_.isEmpty());
    // No plain copy outlives the show.
    QCOMPARE(QDir(QString::fromStdString(TempFolder)).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"a.vlp", "b.vlp", "c.vlp"}));
  }

  void picturesThatCannotBeShownAreSkippedWithoutABox() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const QString empty = MakeContainer(dir.path(), "empty.png", {}, "slide password");
    const QString broken = MakeContainer(dir.path(), "broken.gif", "GIF89a", "slide password");
    TFmainVLS window({});
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 1;
    QVERIFY(Click(window, "RadioSlide"));
    window.FileDrag1Drop({empty, a, broken});
    SetNextPasswordAnswer("slide password");
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(messages_.isEmpty());
    QVERIFY(QString::fromStdString(PlainNamePath).endsWith("broken.gif"));  // the show went on
    QVERIFY2(StatusText(window).startsWith("Skipped 2 pictures, the last 3/3 " + broken + ": "),
             qPrintable(StatusText(window)));
    QVERIFY(KeyString.empty());
    QCOMPARE(QDir(QString::fromStdString(TempFolder)).entryList(QDir::Files), QStringList());
  }

  // Sorted by a click on a header, the show takes the rows as shown, even
  // when the list is cleared while it runs.
  void theShowTakesTheRowsInTheOrderShown() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const QString b = EncryptedPicture(dir.path(), "b", Qt::green);
    const QString c = EncryptedPicture(dir.path(), "c", Qt::blue);
    TFmainVLS window({});
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 5;
    window.show();
    QVERIFY(Click(window, "RadioSlide"));
    window.FileDrag1Drop({b, a, c});
    auto* header = Find<QTreeView>(window, "files")->header();
    for (int click = 0; click < 2; ++click)  // by name, then the other way
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                        QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QCOMPARE(RowNames(window), QStringList({"c.vlp", "b.vlp", "a.vlp"}));
    SetNextPasswordAnswer("slide password");
    QTimer::singleShot(20, &window, [&window] { Click(window, "Btn_Clear"); });
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(QString::fromStdString(PlainNamePath).endsWith("a.png"));  // the last one shown
    QVERIFY(KeyString.empty());
  }

  void aKeyPressEndsTheShow() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const QString b = EncryptedPicture(dir.path(), "b", Qt::green);
    TFmainVLS window({});
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 20;
    QVERIFY(Click(window, "RadioSlide"));
    window.FileDrag1Drop({a, b});
    SetNextPasswordAnswer("slide password");
    QTimer::singleShot(30, &form, [&form] { QTest::keyClick(&form, Qt::Key_Escape); });
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(QString::fromStdString(PlainNamePath).endsWith("a.png"));
    QVERIFY(!SlideStop);
    QVERIFY(KeyString.empty());
  }

  void keysOnTheFormPauseAndStepThroughTheShow() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const QString b = EncryptedPicture(dir.path(), "b", Qt::green);
    TFmainVLS window({});
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 20;  // a picture stays about one second
    QVERIFY(Click(window, "RadioSlide"));
    window.FileDrag1Drop({a, b});
    SetNextPasswordAnswer("slide password");
    QStringList seen;  // the picture shown at each step, "paused" while it says so
    const auto note = [&seen, &form] {
      seen << QFileInfo(QString::fromStdString(PlainNamePath)).baseName() +
                  (form.PausedLb->isVisible() ? " paused" : "");
    };
    const auto press = [&form](Qt::Key key) { QTest::keyClick(&form, key); };
    QTimer::singleShot(100, &form, [&] { note(), press(Qt::Key_Right); });
    QTimer::singleShot(250, &form, [&] { note(), press(Qt::Key_P); });
    QTimer::singleShot(400, &form, [&] { note(); });
    // Well past the time b would have stayed without the pause.
    QTimer::singleShot(1600, &form, [&] { note(), press(Qt::Key_Space), press(Qt::Key_PageUp); });
    QTimer::singleShot(1800, &form, [&] { note(), press(Qt::Key_Escape); });
    QVERIFY(Click(window, "ButtOk"));
    QCOMPARE(seen, QStringList({"a", "b", "b paused", "b paused", "a"}));
    QVERIFY(!form.isVisible());
    QVERIFY(!form.PausedLb->isVisible());
    QVERIFY(KeyString.empty());
  }

  void closingTheFormEndsTheShow() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const QString b = EncryptedPicture(dir.path(), "b", Qt::green);
    TFmainVLS window({});
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 20;
    QVERIFY(Click(window, "RadioSlide"));
    window.FileDrag1Drop({a, b});
    SetNextPasswordAnswer("slide password");
    QTimer::singleShot(30, &form, [&form] { form.close(); });
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(QString::fromStdString(PlainNamePath).endsWith("a.png"));
    QVERIFY(!form.isVisible());
    QVERIFY(KeyString.empty());
  }

  void fullEndsWhenItsFormGoesAwayWithoutAStop() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const std::function<void(QWidget&)> ways[] = {
        [](QWidget& form) { form.close(); },
        [](QWidget& form) { form.hide(); },
        [](QWidget& form) { form.showMinimized(); },
    };
    for (const auto& away : ways) {
      TFmainVLS window({});
      TFullSlide form(&window);
      window.SetFullSlide(&form);
      window.FullScreenWaitMs = 1;
      DropKey();
      QVERIFY(View(window, a));
      QTimer::singleShot(20, &form, [&form, &away] { away(form); });
      bool rescued = false;  // should the view hang, this ends it and the test fails
      QObject scope;
      QTimer::singleShot(3000, &scope, [&rescued] { rescued = SlideStop = true; });
      QVERIFY(Click(window, "View_FullScreen"));
      QVERIFY(!rescued);
      QVERIFY(!form.isVisible());
    }
  }

  void aQuestionDuringTheShowComesInFrontOfTheForm() {
    TFullSlide form;
    form.FormShow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QWindow* over = nullptr;
    QTimer::singleShot(0, [&over] {
      QWidget* question = QApplication::activeModalWidget();
      QVERIFY(question != nullptr);
      over = question->windowHandle()->transientParent();
      QTest::mouseClick(question->findChild<QPushButton*>("CancelBtn"), Qt::LeftButton);
    });
    QCOMPARE(Ask(QString("ar~te.png exists. Replace?")), kAnswerCancel);
    QCOMPARE(over, form.windowHandle());
  }

  void droppedPicturesAndTheCommandLinePictureOpenPictureWindows() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::red);
    const QString b = EncryptedPicture(dir.path(), "b", Qt::green);
    {
      TFmainVLS window({});
      ShowPage(window, kPageViewer);
      SetNextPasswordAnswer("slide password");
      window.FileDrag1Drop({a, b});
      const QList<TWindowView*> open = PictureWindows();
      for (TWindowView* picture_window : open)
        picture_window->close();
      QCOMPARE(open.size(), 2);
      QVERIFY(!Find<QPushButton>(window, "View_Maximize")->isEnabled());
      QVERIFY(Find<QPushButton>(window, "View_FullScreen")->isEnabled());
    }
    DropKey();  // a program started afresh holds no key
    TFmainVLS started({a});
    SetNextPasswordAnswer("slide password");
    started.FormActivate();
    const QList<TWindowView*> open = PictureWindows();
    QCOMPARE(open.size(), 1);
    QCOMPARE(open[0]->MultiMedia1->Picture().size(), QSize(64, 48));
    open[0]->close();
  }

  void fullShowsTheViewersStillPicture() {
    QTemporaryDir dir;
    const QString a = EncryptedPicture(dir.path(), "a", Qt::yellow);
    TFmainVLS window({});
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.FullScreenWaitMs = 1;
    QVERIFY(View(window, a));
    form.GIFImage1->show();  // as after a show that ended on an animation
    QSize shown;
    bool animation_shown = true;
    QTimer::singleShot(20, &form, [&] {
      shown = form.MultiMedia1->Picture().size();
      animation_shown = form.GIFImage1->isVisible();
      SlideStop = true;
    });
    QVERIFY(Click(window, "View_FullScreen"));
    QCOMPARE(shown, QSize(64, 48));
    QVERIFY(!animation_shown);
    QVERIFY(!form.isVisible());
    QVERIFY(form.MultiMedia1->Picture().isNull());
  }
};

QTEST_MAIN(SlideShowTest)
#include "SlideShow_test.moc"
