#include "viewing/widgets/PasswordDialogs.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QValidator>
#include <optional>
#include <string>
#include <string_view>

#include "app/WindowPosition.h"
#include "cipher/Cipher.h"
#include "cipher/KeyString.h"
#include "platform/AnsiText.h"
#include "protect/ProtectState.h"

namespace vls {

const QString TFPass::kTitle = QStringLiteral("MORVANE  Veilstore 32-bit v 2.7 *ENCRYPTION*");
const QString TFPass2::kTitle = QStringLiteral("MORVANE  Veilstore 32-bit v 2.7 *DECRYPTION*");

namespace {

// The answer the next request gives without a window (see
// SetNextPasswordAnswer); nullopt inside means Cancel.
struct NextAnswer {
  std::optional<QString> password;
  bool keep_originals = false;
};
std::optional<NextAnswer> next_answer;

// The small dialog font of the classic desktop (8 points at 96 dpi), so the
// labels fit the fixed client areas.
constexpr int kFontPixelSize = 11;

// A quiet woven tile for the encryption dialog's background.
QPixmap BackgroundTile() {
  QPixmap tile(16, 16);
  tile.fill(QColor(0xd8, 0xd4, 0xcc));
  QPainter painter(&tile);
  painter.setPen(QColor(0xcc, 0xc7, 0xbd));
  for (int i = 0; i < 16; i += 4) {
    painter.drawLine(i, 0, 0, i);
    painter.drawLine(15, 15 - i, 15 - i, 15);
  }
  painter.setPen(QColor(0xe4, 0xe1, 0xda));
  painter.drawPoint(8, 8);
  painter.drawPoint(0, 0);
  return tile;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  // Enter belongs to the key-up rule of the edits, never to a default button.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) {
    screen = QGuiApplication::primaryScreen();
  }
  if (screen != nullptr) {
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
  }
}

// Characters (code points) of a text. A character beyond the basic plane (an
// emoji, many CJK letters) is two UTF-16 units of a QString but one to the user.
qsizetype CharactersOf(QStringView text) {
  qsizetype count = 0;
  for (qsizetype at = 0; at < text.size(); ++at, ++count) {
    if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
      ++at;
  }
  return count;
}

// The first count characters of a text.
QString LeftCharacters(const QString& text, qsizetype count) {
  qsizetype at = 0;
  for (; at < text.size() && count > 0; ++at, --count) {
    if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
      ++at;
  }
  return text.left(at);
}

// Refuses an edit that would hold more than kPasswordMaxLength characters.
// The edit's own limit counts UTF-16 units; it is set to two units per
// character, so this is the limit that bites.
class CharacterLimit : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return CharactersOf(input) <= kPasswordMaxLength ? Acceptable : Invalid;
  }
};

// Runs one request: the next-answer hook if one is set, else the dialog,
// modally.
void RunRequest(PasswordDialog& dialog) {
  if (next_answer) {
    const NextAnswer answer = *next_answer;
    next_answer.reset();
    dialog.FormShow();
    if (answer.password) {
      dialog.FillAnswer(*answer.password, answer.keep_originals);
      dialog.PasswordKeyUp(Qt::Key_Return);
    } else {
      dialog.CancelBtnClick();
    }
    return;
  }
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.exec();
}

}  // namespace

PasswordDialog::PasswordDialog(QWidget* parent, const QString& title, QSize client_size)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(title);
  setFixedSize(client_size);
  setModal(true);
  QFont small = font();
  small.setPixelSize(kFontPixelSize);
  setFont(small);
}

QLineEdit* PasswordDialog::MakePasswordEdit(const char* name, QRect geometry) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(geometry);
  edit->setMaxLength(2 * kPasswordMaxLength);
  edit->setValidator(new CharacterLimit(edit));
  edit->setEchoMode(QLineEdit::Password);
  // Every typed character shows as '*', whatever the platform's own mask.
  edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
  edit->setContextMenuPolicy(Qt::NoContextMenu);
  edit->installEventFilter(this);
  return edit;
}

QLabel* PasswordDialog::MakeBoldLabel(const char* name, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, this);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setTextFormat(Qt::PlainText);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

void PasswordDialog::MakeButtons(QRect ok_geometry, QRect cancel_geometry) {
  // The inactive image shows until the entry is acceptable; Key_ok then
  // covers it exactly.
  ButtOk = MakeButton(this, "ButtOk", QStringLiteral("OK"), ok_geometry);
  ButtOk->setEnabled(false);
  ButtOk->setFocusPolicy(Qt::NoFocus);
  Key_ok = MakeButton(this, "Key_ok", QStringLiteral("OK"), ok_geometry);
  Key_ok->hide();
  CancelBtn = MakeButton(this, "CancelBtn", QStringLiteral("Cancel"), cancel_geometry);
  connect(Key_ok, &QPushButton::clicked, this, [this] { Key_OKClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &PasswordDialog::CancelBtnClick);
}

void PasswordDialog::FormShow() {
  ClearEntries();
  Key_ok->hide();
  Password1->setFocus();
}

void PasswordDialog::FillAnswer(const QString& text, bool /*keep_originals*/) {
  // The limit refuses typed text; text set at once is cut to it instead.
  Password1->setText(LeftCharacters(text, kPasswordMaxLength));
}

void PasswordDialog::ClearEntries() {
  // setText, unlike clear(), also forgets the undo history.
  Password1->setText(QString());
}

void PasswordDialog::PasswordKeyUp(int key) {
  Key_ok->setVisible(Acceptable());
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && Key_ok->isVisibleTo(this)) {
    Key_OKClick();
  }
}

void PasswordDialog::StoreKey() {
  QByteArray utf8 = Password1->text().toUtf8();
  std::string bytes = ToAnsi(std::string_view(utf8.constData(), utf8.size()));
  KeyString.Set(bytes);
  // Leave no copy of the password in freed memory.
  SecureZero(bytes.data(), bytes.size());
  SecureZero(utf8.data(), utf8.size());
}

void PasswordDialog::CloseAccepted() {
  ClearEntries();
  accept();
}

void PasswordDialog::CancelBtnClick() {
  ClearEntries();
  reject();
}

void PasswordDialog::showEvent(QShowEvent* event) {
  // The style's icons are pictures read through the image readers, whose
  // first use loads every image-format plugin. The dialogs are made before
  // the main window first paints, so their buttons get icons when first shown.
  if (CancelBtn->icon().isNull()) {
    const QIcon ok = style()->standardIcon(QStyle::SP_DialogOkButton);
    ButtOk->setIcon(ok);
    Key_ok->setIcon(ok);
    CancelBtn->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  }
  CentreOnScreen(*this);
  FormShow();
  QDialog::showEvent(event);
}

void PasswordDialog::hideEvent(QHideEvent* event) {
  // However the dialog goes away (OK, Cancel, Escape, the close box), the
  // typed text does not stay behind in a hidden window.
  ClearEntries();
  QDialog::hideEvent(event);
}

bool PasswordDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyRelease && qobject_cast<QLineEdit*>(watched) != nullptr) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // A held key repeats its press; the rule runs once, when it is let go.
    if (!key->isAutoRepeat()) {
      PasswordKeyUp(key->key());
    }
  }
  return QDialog::eventFilter(watched, event);
}

// ---- TFPass ----

// Where the choice of sealed containers is remembered, per user.
const QString kStrongSetting = QStringLiteral("Encryption/Strong");

TFPass::TFPass(QWidget* parent)
    : PasswordDialog(parent, kTitle, QSize(kClientWidth, kClientHeight)) {
  setObjectName(QStringLiteral("TFPass"));
  QPalette tiled = palette();
  tiled.setBrush(QPalette::Window, QBrush(BackgroundTile()));
  setPalette(tiled);
  setAutoFillBackground(true);

  Label1 = MakeBoldLabel("Label1", QStringLiteral("Password (5 to 30 characters long):"),
                         QRect(6, 4, 223, 15));
  Password1 = MakePasswordEdit("Password1", QRect(6, 20, 223, 21));
  Label2 =
      MakeBoldLabel("Label2", QStringLiteral("Repeat It for verification:"), QRect(6, 45, 223, 15));
  Password2 = MakePasswordEdit("Password2", QRect(6, 61, 223, 21));
  CheckOriginal = new QCheckBox(QStringLiteral("Keep original files"), this);
  CheckOriginal->setObjectName(QStringLiteral("CheckOriginal"));
  CheckOriginal->setGeometry(6, 87, 223, 18);
  CheckStrong =
      new QCheckBox(QStringLiteral("Strong encryption (not readable by version 3.3)"), this);
  CheckStrong->setObjectName(QStringLiteral("CheckStrong"));
  CheckStrong->setGeometry(6, 107, 223, 18);
  MakeButtons(QRect(22, 131, 90, 36), QRect(123, 131, 90, 36));
  FormShow();
}

void TFPass::FormShow() {
  CheckOriginal->setChecked(false);
  // The kind of container is the user's lasting choice, off the first time.
  CheckStrong->setChecked(ProgramSettings().value(kStrongSetting, false).toBool());
  PasswordDialog::FormShow();
}

void TFPass::FillAnswer(const QString& text, bool keep_originals) {
  PasswordDialog::FillAnswer(text, keep_originals);
  Password2->setText(LeftCharacters(text, kPasswordMaxLength));
  CheckOriginal->setChecked(keep_originals);
}

void TFPass::ClearEntries() {
  PasswordDialog::ClearEntries();
  Password2->setText(QString());
}

bool TFPass::Acceptable() const {
  // Exact comparison: a repeat that differs only in letter case is refused.
  return Password1->text() == Password2->text() &&
         CharactersOf(Password1->text()) >= kPasswordMinLength;
}

void TFPass::Key_OKClick() {
  StoreKey();
  KeepOriginals = CheckOriginal->isChecked();
  StrongEncryption = CheckStrong->isChecked();
  ProgramSettings().setValue(kStrongSetting, StrongEncryption);
  CloseAccepted();
}

// ---- TFPass2 ----

TFPass2::TFPass2(QWidget* parent)
    : PasswordDialog(parent, kTitle, QSize(kClientWidth, kClientHeight)) {
  setObjectName(QStringLiteral("TFPass2"));
  Label1 = MakeBoldLabel("Label1", QStringLiteral("Password (5 to 30 characters long):"),
                         QRect(8, 6, 243, 15));
  Password1 = MakePasswordEdit("Password1", QRect(8, 23, 243, 21));
  MakeButtons(QRect(34, 51, 90, 36), QRect(135, 51, 90, 36));
  FormShow();
}

bool TFPass2::Acceptable() const {
  return CharactersOf(Password1->text()) >= kPasswordMinLength;
}

void TFPass2::Key_OKClick() {
  StoreKey();
  CloseAccepted();
}

// ---- requests ----

void RequestEncryptionKey(QWidget* parent) {
  TFPass dialog(parent);
  RunRequest(dialog);
}

void RequestDecryptionKey(QWidget* parent) {
  TFPass2 dialog(parent);
  RunRequest(dialog);
}

void SetNextPasswordAnswer(const QString& password, bool keep_originals) {
  next_answer = NextAnswer{password, keep_originals};
}

void SetNextPasswordCancel() {
  next_answer = NextAnswer{std::nullopt, false};
}

void ClearNextPasswordAnswer() {
  next_answer.reset();
}

}  // namespace vls
