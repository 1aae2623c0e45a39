// The password dialogs: their layout, the OK rule on every key release (5
// characters, 30 at most, a case-sensitive repeat), Enter, Cancel and the
// close box, a fresh start for every request, and the requests themselves
// (answered from a single-shot timer or the next-answer hook).

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "cipher/Cipher.h"
#include "protect/ProtectState.h"
#include "viewing/widgets/PasswordDialogs.h"

using vls::KeyString;
using vls::PasswordDialog;
using vls::TFPass;
using vls::TFPass2;

namespace {

template <typename T = QWidget>
T* Child(QWidget& dialog, const char* name) {
  auto* widget = dialog.findChild<T*>(QString::fromLatin1(name));
  if (widget == nullptr) {
    qWarning("no child %s", name);
  }
  return widget;
}

QLineEdit* Edit(QWidget& dialog, const char* name) {
  return Child<QLineEdit>(dialog, name);
}

bool OkShown(QWidget& dialog) {
  return Child(dialog, "Key_ok")->isVisibleTo(&dialog);
}

// Types the text into the edit one character at a time, each key pressed and
// released, as a user would. Letters beyond ASCII go as key events that carry
// their text, as a keyboard layout delivers them (an emoji as its two UTF-16
// units in one event).
void Type(QWidget& dialog, const char* edit, const QString& text) {
  for (const char32_t ch : text.toUcs4()) {
    if (ch < 0x80) {
      QTest::keyClick(Edit(dialog, edit), static_cast<char>(ch));
    } else {
      const QString typed = QString::fromUcs4(&ch, 1);
      const auto key = ch < 0x10000 ? Qt::Key(typed.toUpper()[0].unicode()) : Qt::Key_unknown;
      QTest::sendKeyEvent(QTest::Click, Edit(dialog, edit), key, typed, Qt::NoModifier);
    }
  }
}

void PressEnter(QWidget& dialog, const char* edit, Qt::Key key = Qt::Key_Return) {
  QTest::keyClick(Edit(dialog, edit), key);
}

QString KeyText() {
  return QString::fromLatin1(KeyString.view().data(), static_cast<int>(KeyString.view().size()));
}

// Once a modal password dialog is up, acts on it.
void WhenAsked(std::function<void(PasswordDialog&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      WhenAsked(act);
      return;
    }
    act(*dialog);
  });
}

}  // namespace

class PasswordDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    vls::DropKey();
    vls::KeepOriginals = false;
    vls::ClearNextPasswordAnswer();
  }
  void cleanup() { vls::DropKey(); }

  void encryptionDialogLayout() {
    TFPass dialog;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("MORVANE  Veilstore 32-bit v 2.7 *ENCRYPTION*"));
    QCOMPARE(dialog.size(), QSize(235, 175));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(Child<QLabel>(dialog, "Label1")->text(),
             QStringLiteral("Password (5 to 30 characters long):"));
    QCOMPARE(Child<QLabel>(dialog, "Label2")->text(),
             QStringLiteral("Repeat It for verification:"));
    auto* check = Child<QCheckBox>(dialog, "CheckOriginal");
    QCOMPARE(check->text(), QStringLiteral("Keep original files"));
    QVERIFY(!check->isChecked());
    CheckCommonLayout(dialog, {"Label1", "Label2"}, {"Password1", "Password2"});
    // Top to bottom, as the user reads them.
    const char* order[] = {"Label1", "Password1", "Label2", "Password2", "CheckOriginal", "ButtOk"};
    for (int i = 1; i < 6; ++i) {
      QVERIFY2(Child(dialog, order[i - 1])->geometry().bottom() <
                   Child(dialog, order[i])->geometry().top(),
               order[i]);
    }
  }

  void decryptionDialogLayout() {
    TFPass2 dialog;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("MORVANE  Veilstore 32-bit v 2.7 *DECRYPTION*"));
    QCOMPARE(dialog.size(), QSize(259, 93));
    QCOMPARE(Child<QLabel>(dialog, "Label1")->text(),
             QStringLiteral("Password (5 to 30 characters long):"));
    QVERIFY(dialog.findChild<QCheckBox*>() == nullptr);
    QVERIFY(dialog.findChild<QLineEdit*>("Password2") == nullptr);
    CheckCommonLayout(dialog, {"Label1"}, {"Password1"});
  }

  void encryptionOkNeedsFiveCharactersRepeatedExactly() {
    const struct {
      const char* first;
      const char* repeat;
      bool ok;
    } cases[] = {
        {"abcde", "abcde", true},
        {"abcd", "abcd", false},
        {"Secret", "secret", false},
        {"abcde", "abcdef", false},
        {"abcdef", "abcde", false},
        {"", "", false},
        {"a b c", "a b c", true},
        {"  12345  ", "  12345  ", true},
        {"\u00e9t\u00e9!!", "\u00e9t\u00e9!!", true},
    };
    for (const auto& c : cases) {
      TFPass dialog;
      dialog.show();
      Type(dialog, "Password1", QString::fromUtf8(c.first));
      Type(dialog, "Password2", QString::fromUtf8(c.repeat));
      QVERIFY2(OkShown(dialog) == c.ok, c.first);
    }
  }

  void okFollowsEveryKeyReleaseInEitherEdit() {
    TFPass dialog;
    dialog.show();
    Type(dialog, "Password2", "abcde");
    QVERIFY(!OkShown(dialog));
    Type(dialog, "Password1", "abcd");
    QVERIFY(!OkShown(dialog));
    Type(dialog, "Password1", "e");
    QVERIFY(OkShown(dialog));
    // Key_ok lies exactly over the inactive image that shows without it.
    QCOMPARE(Child(dialog, "Key_ok")->geometry(), Child(dialog, "ButtOk")->geometry());
    QTest::keyClick(Edit(dialog, "Password2"), Qt::Key_Backspace);
    QVERIFY(!OkShown(dialog));
    // A key press without its release changes nothing yet.
    QTest::keyPress(Edit(dialog, "Password2"), Qt::Key_E);
    QVERIFY(!OkShown(dialog));
    QTest::keyRelease(Edit(dialog, "Password2"), Qt::Key_E);
    QVERIFY(OkShown(dialog));
  }

  void theThirtyFirstCharacterCannotBeTyped() {
    const QString thirty = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123");
    TFPass dialog;
    dialog.show();
    Type(dialog, "Password1", thirty + "X");
    Type(dialog, "Password2", thirty + "Y");
    QCOMPARE(Edit(dialog, "Password1")->text(), thirty);
    QCOMPARE(Edit(dialog, "Password2")->text(), thirty);
    QCOMPARE(Edit(dialog, "Password1")->displayText(), QString(30, u'*'));
    QVERIFY(OkShown(dialog));
    PressEnter(dialog, "Password2");
    QCOMPARE(KeyText(), thirty);

    TFPass2 decrypt;
    decrypt.show();
    Type(decrypt, "Password1", thirty + "XYZ");
    QCOMPARE(Edit(decrypt, "Password1")->text(), thirty);
  }

  void lengthsCountCharactersNotUtf16Units() {
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const struct {
      QString text;
      bool ok;
    } cases[] = {
        {emoji.repeated(3), false},  // six units, three characters
        {emoji.repeated(4), false},
        {emoji.repeated(4) + "a", true},
        {emoji.repeated(31), true},  // the 31st is refused
    };
    for (const auto& c : cases) {
      const QString kept = c.text.left(2 * 30);
      TFPass encrypt;
      encrypt.show();
      Type(encrypt, "Password1", c.text);
      Type(encrypt, "Password2", c.text);
      QCOMPARE(Edit(encrypt, "Password1")->text(), kept);
      QCOMPARE(OkShown(encrypt), c.ok);
      TFPass2 decrypt;
      decrypt.show();
      Type(decrypt, "Password1", c.text);
      QCOMPARE(Edit(decrypt, "Password1")->text(), kept);
      QCOMPARE(OkShown(decrypt), c.ok);
    }
    // The hook cuts as the edit does.
    vls::SetNextPasswordAnswer(emoji.repeated(31));
    vls::RequestDecryptionKey();
    QCOMPARE(KeyString.view(), std::string_view(emoji.repeated(30).toUtf8().constData()));
  }

  void enterRunsOkOnlyOnceTheEntryIsAcceptable() {
    TFPass dialog;
    dialog.show();
    Type(dialog, "Password1", "Secret");
    PressEnter(dialog, "Password1");
    Type(dialog, "Password2", "secret");
    PressEnter(dialog, "Password2", Qt::Key_Enter);
    QVERIFY(dialog.isVisible());
    QVERIFY(KeyString.empty());

    QTest::keyClick(Edit(dialog, "Password2"), Qt::Key_A, Qt::ControlModifier);
    Type(dialog, "Password2", "Secret");
    QVERIFY(OkShown(dialog));
    QVERIFY(KeyString.empty());
    // The keypad's Enter counts as Enter too.
    QTest::keyClick(Edit(dialog, "Password1"), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(KeyText(), QStringLiteral("Secret"));
    QVERIFY(!vls::KeepOriginals);
    // Nothing of the password stays in the closed dialog.
    QVERIFY(Edit(dialog, "Password1")->text().isEmpty());
    QVERIFY(Edit(dialog, "Password2")->text().isEmpty());
  }

  void okStoresTheKeyAsAnsiAndTheCheckBox() {
    TFPass dialog;
    dialog.show();
    Child<QCheckBox>(dialog, "CheckOriginal")->setChecked(true);
    Type(dialog, "Password1", QString::fromUtf8("\u00e9t\u00e9 12"));
    Type(dialog, "Password2", QString::fromUtf8("\u00e9t\u00e9 12"));
    QTest::mouseClick(Child<QPushButton>(dialog, "Key_ok"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(KeyString.view(), std::string_view("\xe9t\xe9 12"));
    QVERIFY(vls::KeepOriginals);

    // The next OK with the box clear sets the flag back.
    TFPass again;
    again.show();
    Type(again, "Password1", "abcdef");
    Type(again, "Password2", "abcdef");
    PressEnter(again, "Password2");
    QVERIFY(!vls::KeepOriginals);
    QCOMPARE(KeyText(), QStringLiteral("abcdef"));
  }

  // The choice of sealed containers is off the first time and then kept for
  // the user, from one run of the dialog to the next.
  void strongEncryptionIsRememberedPerUser() {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    for (const bool choose : {true, false}) {
      TFPass dialog;
      dialog.show();
      QCOMPARE(Child<QCheckBox>(dialog, "CheckStrong")->isChecked(), !choose);
      Child<QCheckBox>(dialog, "CheckStrong")->setChecked(choose);
      Type(dialog, "Password1", "abcdef");
      Type(dialog, "Password2", "abcdef");
      PressEnter(dialog, "Password2");
      QCOMPARE(vls::StrongEncryption, choose);
    }
    vls::StrongEncryption = false;
  }

  void decryptionOkNeedsFiveCharacters() {
    TFPass2 dialog;
    dialog.show();
    Type(dialog, "Password1", "abcd");
    QVERIFY(!OkShown(dialog));
    PressEnter(dialog, "Password1");
    QVERIFY(dialog.isVisible());
    Type(dialog, "Password1", "E");
    QVERIFY(OkShown(dialog));
    vls::KeepOriginals = true;
    PressEnter(dialog, "Password1");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(KeyText(), QStringLiteral("abcdE"));
    QVERIFY(vls::KeepOriginals);  // only the encryption dialog writes it
  }

  void cancelCloseAndEscapeLeaveKeyAndFlag() {
    const std::function<void(QDialog&)> ways[] = {
        [](QDialog& d) { QTest::mouseClick(Child<QPushButton>(d, "CancelBtn"), Qt::LeftButton); },
        [](QDialog& d) { d.close(); },
        [](QDialog& d) { QTest::keyClick(Edit(d, "Password2"), Qt::Key_Escape); },
    };
    for (const auto& close : ways) {
      vls::KeepOriginals = true;
      TFPass dialog;
      dialog.show();
      Child<QCheckBox>(dialog, "CheckOriginal")->setChecked(false);
      Type(dialog, "Password1", "Secret");
      Type(dialog, "Password2", "Secret");
      QVERIFY(OkShown(dialog));
      close(dialog);
      QVERIFY(!dialog.isVisible());
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QVERIFY(KeyString.empty());
      QVERIFY(vls::KeepOriginals);
    }

    // Cancel never touches a key that is already there.
    vls::KeyString.Set("older");
    TFPass2 decrypt;
    decrypt.show();
    Type(decrypt, "Password1", "newer");
    QTest::mouseClick(Child<QPushButton>(decrypt, "CancelBtn"), Qt::LeftButton);
    QCOMPARE(KeyText(), QStringLiteral("older"));
  }

  void everyShowStartsEmpty() {
    TFPass dialog;
    dialog.show();
    Child<QCheckBox>(dialog, "CheckOriginal")->setChecked(true);
    Type(dialog, "Password1", "Secret");
    Type(dialog, "Password2", "Secret");
    QTest::mouseClick(Child<QPushButton>(dialog, "CancelBtn"), Qt::LeftButton);
    dialog.show();
    QVERIFY(Edit(dialog, "Password1")->text().isEmpty());
    QVERIFY(Edit(dialog, "Password2")->text().isEmpty());
    QVERIFY(!Child<QCheckBox>(dialog, "CheckOriginal")->isChecked());
    QVERIFY(!OkShown(dialog));
    QCOMPARE(dialog.focusWidget(), Child(dialog, "Password1"));
  }

  void modalRequestsReturnWithTheKey() {
    WhenAsked([](PasswordDialog& dialog) {
      QCOMPARE(dialog.objectName(), QStringLiteral("TFPass"));
      QCOMPARE(dialog.focusWidget(), Child(dialog, "Password1"));
      Type(dialog, "Password1", "Modal1");
      Type(dialog, "Password2", "Modal1");
      QTest::mouseClick(Child<QCheckBox>(dialog, "CheckOriginal"), Qt::LeftButton);
      PressEnter(dialog, "Password2");
    });
    vls::RequestEncryptionKey();
    QCOMPARE(KeyText(), QStringLiteral("Modal1"));
    QVERIFY(vls::KeepOriginals);

    vls::DropKey();
    WhenAsked([](PasswordDialog& dialog) {
      QCOMPARE(dialog.objectName(), QStringLiteral("TFPass2"));
      Type(dialog, "Password1", "Modal2");
      QTest::mouseClick(Child<QPushButton>(dialog, "CancelBtn"), Qt::LeftButton);
    });
    vls::RequestDecryptionKey();
    QVERIFY(KeyString.empty());
  }

  void nextAnswerHookFollowsTheDialogRules() {
    vls::SetNextPasswordAnswer(QStringLiteral("abcd"));
    vls::RequestDecryptionKey();
    QVERIFY(KeyString.empty());

    vls::SetNextPasswordAnswer(QStringLiteral("abcdefghijklmnopqrstuvwxyz01234"), true);
    vls::RequestEncryptionKey();
    QCOMPARE(KeyText(), QStringLiteral("abcdefghijklmnopqrstuvwxyz0123"));
    QVERIFY(vls::KeepOriginals);

    vls::SetNextPasswordCancel();
    vls::RequestDecryptionKey();
    QCOMPARE(KeyText(), QStringLiteral("abcdefghijklmnopqrstuvwxyz0123"));
    QVERIFY(vls::KeepOriginals);
  }

 private:
  // What both dialogs share: bold labels that fit, star edits,
  // Key_ok hidden over the inactive ButtOk, Cancel, focus in Password1.
  static void CheckCommonLayout(QDialog& dialog, std::initializer_list<const char*> labels,
                                std::initializer_list<const char*> edits) {
    const QRect client(QPoint(0, 0), dialog.size());
    for (const char* name : labels) {
      auto* label = Child<QLabel>(dialog, name);
      QVERIFY2(label->font().bold(), name);
      QVERIFY2(label->sizeHint().width() <= label->width(), name);
      QVERIFY2(client.contains(label->geometry()), name);
    }
    for (const char* name : edits) {
      auto* edit = Edit(dialog, name);
      QCOMPARE(edit->echoMode(), QLineEdit::Password);
      QVERIFY(edit->text().isEmpty());
      QVERIFY2(client.contains(edit->geometry()), name);
    }
    auto* ok = Child<QPushButton>(dialog, "Key_ok");
    auto* inactive = Child<QPushButton>(dialog, "ButtOk");
    auto* cancel = Child<QPushButton>(dialog, "CancelBtn");
    QVERIFY(!ok->isVisibleTo(&dialog));
    QVERIFY(inactive->isVisibleTo(&dialog));
    QVERIFY(!inactive->isEnabled());
    QCOMPARE(ok->geometry(), inactive->geometry());
    QVERIFY(client.contains(ok->geometry()));
    QVERIFY(client.contains(cancel->geometry()));
    QVERIFY(!ok->geometry().intersects(cancel->geometry()));
    // The style's icons, given when the dialog is first shown.
    for (QPushButton* button : {ok, inactive, cancel})
      QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
    QCOMPARE(dialog.focusWidget(), Child(dialog, "Password1"));
  }
};

QTEST_MAIN(PasswordDialogsTest)
#include "PasswordDialogs_test.moc"
