#include "imaging/widgets/PMultiMedia.h"

#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/DisplayText.h"

namespace vls {
namespace {

// The messages name the picture's file, and anyone may have named it: the
// box takes no markup, and each line shows its hidden characters.
void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
  QMessageBox box(icon, caption, QString::fromStdString(DisplayLines(text.toStdString())),
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  box.exec();
}

// A copy of a picture's bytes, wiped when it goes: the bytes of a decrypted
// picture are a plain copy.
class WipedBytes {
 public:
  explicit WipedBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}
  ~WipedBytes() { ::explicit_bzero(bytes_.data(), bytes_.size()); }
  WipedBytes(const WipedBytes&) = delete;
  WipedBytes& operator=(const WipedBytes&) = delete;
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

void BoxPictureMessages::ShowError(const QString& text) {
  ShowBox(parent_, QMessageBox::Critical, QStringLiteral("Erreur"), text);
}

void BoxPictureMessages::ShowInformation(const QString& text) {
  ShowBox(parent_, QMessageBox::Information, QStringLiteral("Information"), text);
}

TPMultiMedia::TPMultiMedia(QWidget* parent) : QWidget(parent), boxes_(this), messages_(&boxes_) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TPMultiMedia::~TPMultiMedia() = default;

void TPMultiMedia::SetMessages(PictureMessages* messages) {
  messages_ = messages != nullptr ? messages : &boxes_;
}

int TPMultiMedia::ColorDepth() const {
  const QScreen* display = screen();
  return ColorDepthFor(read_res_, display != nullptr ? display->depth() : 24);
}

void TPMultiMedia::Clear() {
  picture_ = QImage();
  file_size_ = 0;
  status_.clear();
}

void TPMultiMedia::StopRunningLoad() {
  if (running_stop_ != nullptr)
    *running_stop_ = true;
}

void TPMultiMedia::SetMediaName(const QString& name) {
  media_name_ = name;
  const auto load = [&name](const LoadOptions& options) { return LoadPicture(name, options); };
  if (const std::uint64_t busy = RunLoad(name.isEmpty() ? LoadProc() : load))
    RetryLater(busy, [this] { SetMediaName(media_name_); });
}

void TPMultiMedia::LoadBytes(std::span<const std::uint8_t> bytes, const QString& name) {
  media_name_.clear();
  const auto load = [&](const LoadOptions& options) {
    return LoadPictureBytes(bytes, name, options);
  };
  if (const std::uint64_t busy = RunLoad(load)) {
    // The caller's bytes go when this returns: the retry has a copy.
    auto copy = std::make_shared<WipedBytes>(bytes);
    RetryLater(busy, [this, copy, name] { LoadBytes(copy->Bytes(), name); });
  }
}

void TPMultiMedia::RetryLater(std::uint64_t ticket, std::function<void()> retry) {
  QTimer::singleShot(0, this, [this, ticket, retry = std::move(retry)] {
    if (ticket == load_ticket_)
      retry();
  });
}

std::uint64_t TPMultiMedia::RunLoad(const LoadProc& load) {
  // ProgressHook processes window events, so another load may be asked for
  // while this one decodes: the later one wins, the running load stops and
  // its result is dropped.
  const std::uint64_t ticket = ++load_ticket_;
  StopRunningLoad();
  // The old picture goes first, so a large picture is never held twice.
  Clear();
  update();
  if (!load)
    return 0;

  bool stop = false;
  bool* const outer_stop = std::exchange(running_stop_, &stop);
  LoadedPicture loaded = load(LoadOptions{ColorDepth(), dither_, &stop});
  running_stop_ = outer_stop;
  if (ticket != load_ticket_)
    return 0;
  if (loaded.outcome == LoadOutcome::Busy)
    return ticket;
  status_ = loaded.status;
  file_size_ = loaded.file_size;
  if (loaded.outcome == LoadOutcome::Failed || loaded.outcome == LoadOutcome::TooLarge) {
    messages_->ShowError(loaded.decoder_message);
    if (!loaded.failure_notice.isEmpty())
      messages_->ShowInformation(loaded.failure_notice);
  }
  picture_ = std::move(loaded.image);
  update();
  return 0;
}

void TPMultiMedia::SetPicture(const QImage& picture) {
  ++load_ticket_;
  StopRunningLoad();
  media_name_.clear();
  picture_ = picture;
  file_size_ = 0;
  update();
}

void TPMultiMedia::SetText(const QString& text) {
  text_ = text;
  update();
}

void TPMultiMedia::SetStretchRatio(bool on) {
  stretch_ratio_ = on;
  if (on)
    stretch_ = false;
  update();
}

void TPMultiMedia::SetStretch(bool on) {
  stretch_ = on;
  if (on)
    stretch_ratio_ = false;
  update();
}

void TPMultiMedia::SetColor(const QColor& color) {
  color_ = color;
  update();
}

QRect TPMultiMedia::PictureRect() const {
  if (picture_.isNull())
    return {};
  const QRect area = rect();
  if (stretch_)
    return area;
  if (!stretch_ratio_)
    return QRect(QPoint(0, 0), picture_.size());
  // Scale up or down to the largest size that fits, then centre along the
  // axis that has room to spare.
  const QSize fitted = picture_.size().scaled(area.size(), Qt::KeepAspectRatio);
  const QSize size(std::max(fitted.width(), 1), std::max(fitted.height(), 1));
  return QRect(QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
               size);
}

void TPMultiMedia::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), color_);
  if (!picture_.isNull()) {
    const QRect target = PictureRect();
    if (target.size() != picture_.size()) {
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    painter.drawImage(target, picture_);
  }
  if (!text_.isEmpty()) {
    painter.setPen(color_.lightness() < 128 ? Qt::white : Qt::black);
    painter.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop, text_);
  }
}

void TPMultiMedia::mouseDoubleClickEvent(QMouseEvent* event) {
  emit OnDblClick();
  event->accept();
}

}  // namespace vls
