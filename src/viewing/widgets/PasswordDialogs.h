#pragma once
// The two password dialogs that fill the process-wide key string: TFPass for
// encryption (the password typed twice, plus "Keep original files") and
// TFPass2 for decryption (typed once). OK appears only once the entry is
// acceptable; Enter then runs it. Cancel or the close box leave the key
// string and KeepOriginals as they were.
//
// Callers use RequestEncryptionKey / RequestDecryptionKey and then test
// KeyString: still empty means the user cancelled.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vls {

// Longest password the edits accept; shortest one OK accepts. Both count
// characters (code points), not UTF-16 units.
inline constexpr int kPasswordMaxLength = 30;
inline constexpr int kPasswordMinLength = 5;

// What the two dialogs share: Password1, the OK button Key_ok lying over the
// inactive ButtOk, CancelBtn, and the key-up rule.
class PasswordDialog : public QDialog {
  Q_OBJECT

 public:
  // Starts a request afresh: empty edits, clear check box, only the inactive
  // OK showing, focus in Password1. Runs each time the dialog is shown.
  virtual void FormShow();
  // OK: stores the entry and closes the dialog.
  virtual void Key_OKClick() = 0;
  // Cancel: closes the dialog and changes nothing.
  void CancelBtnClick();

  // The key-up rule of both edits, for any key release in them: Key_ok is
  // shown exactly when the entry is acceptable, and then Enter (Return or
  // the keypad's Enter) runs OK.
  void PasswordKeyUp(int key);

  // Puts text into every edit (and the check box into the given state), as
  // the next-answer hook does; the key-up rule has not run yet.
  virtual void FillAnswer(const QString& text, bool keep_originals);

 protected:
  PasswordDialog(QWidget* parent, const QString& title, QSize client_size);

  // True when OK may be chosen.
  virtual bool Acceptable() const = 0;

  QLineEdit* MakePasswordEdit(const char* name, QRect geometry);
  QLabel* MakeBoldLabel(const char* name, const QString& text, QRect geometry);
  // Key_ok and ButtOk at the same place, CancelBtn beside them.
  void MakeButtons(QRect ok_geometry, QRect cancel_geometry);
  // Stores the text of Password1 as the key string (as ANSI bytes).
  void StoreKey();
  // Empties the edits without leaving the text in their undo history.
  virtual void ClearEntries();
  void CloseAccepted();

  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  QLabel* Label1 = nullptr;
  QLineEdit* Password1 = nullptr;
  QPushButton* ButtOk = nullptr;
  QPushButton* Key_ok = nullptr;
  QPushButton* CancelBtn = nullptr;
};

// The encryption password dialog.
class TFPass : public PasswordDialog {
  Q_OBJECT

 public:
  static const QString kTitle;
  static constexpr int kClientWidth = 235;
  static constexpr int kClientHeight = 175;

  explicit TFPass(QWidget* parent = nullptr);

  void FormShow() override;
  // Key string := Password1; KeepOriginals := CheckOriginal;
  // StrongEncryption := CheckStrong (remembered for next time); closes.
  void Key_OKClick() override;
  void FillAnswer(const QString& text, bool keep_originals) override;

 protected:
  // Both entries equal, letter case included, and at least 5 characters.
  bool Acceptable() const override;
  void ClearEntries() override;

 private:
  QLabel* Label2 = nullptr;
  QLineEdit* Password2 = nullptr;
  QCheckBox* CheckOriginal = nullptr;
  QCheckBox* CheckStrong = nullptr;
};

// The decryption password dialog.
class TFPass2 : public PasswordDialog {
  Q_OBJECT

 public:
  static const QString kTitle;
  static constexpr int kClientWidth = 259;
  static constexpr int kClientHeight = 93;

  explicit TFPass2(QWidget* parent = nullptr);

  // Key string := Password1; closes.
  void Key_OKClick() override;

 protected:
  // At least 5 characters.
  bool Acceptable() const override;
};

// Shows a fresh dialog modally (centred on the screen, parent only for
// stacking) and returns when it closes. Afterwards KeyString holds the
// password, or is unchanged when the user cancelled; the encryption dialog
// also sets KeepOriginals on OK.
void RequestEncryptionKey(QWidget* parent = nullptr);
void RequestDecryptionKey(QWidget* parent = nullptr);

// Answers the next request without showing a window, for tests of the
// callers: the text is typed into every edit of the dialog (and the check box
// set), then Enter is released, so OK runs only when the dialog would accept
// the entry; otherwise the request ends as if cancelled. One answer per
// request.
void SetNextPasswordAnswer(const QString& password, bool keep_originals = false);
// The next request ends as if the user pressed Cancel.
void SetNextPasswordCancel();
void ClearNextPasswordAnswer();

}  // namespace vls
