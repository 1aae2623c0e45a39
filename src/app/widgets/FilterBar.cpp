#include "app/widgets/FilterBar.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include "app/WorkList.h"
#include "platform/DisplayText.h"

namespace vls {
namespace {

// A label that draws its whole text when it fits and leaves out the middle
// otherwise; the whole text stays its tooltip and what a screen reader reads.
class PathLabel : public QLabel {
 public:
  PathLabel() {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setTextFormat(Qt::PlainText);
  }
  void SetPath(const QString& path) {
    path_ = path;
    setToolTip(path);
    setAccessibleName("Folder shown: " + path);
    Elide();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Elide();
  }

 private:
  void Elide() {
    setText(fontMetrics().elidedText(path_, Qt::ElideMiddle, contentsRect().width()));
  }
  QString path_;
};

// The style takes the "up" icon from the icon theme, whose first look-up
// reads the theme's index: the button gets it just after its first paint, so
// the window's first paint does not wait for it. Until then a blank icon of
// the same size keeps the button's size.
class UpIconAfterFirstPaint : public QObject {
 public:
  explicit UpIconAfterFirstPaint(QToolButton* button) : QObject(button), button_(button) {
    QPixmap blank(button->iconSize());
    blank.fill(Qt::transparent);
    button->setIcon(QIcon(blank));
    button->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == button_ && event->type() == QEvent::Paint) {
      button_->removeEventFilter(this);
      QTimer::singleShot(0, button_, [button = button_] {
        button->setIcon(button->style()->standardIcon(QStyle::SP_FileDialogToParent));
      });
      deleteLater();
    }
    return false;
  }

 private:
  QToolButton* button_;
};

}  // namespace

FilterBar::FilterBar(QWidget* parent)
    : QWidget(parent), combo_(new QComboBox), path_(new PathLabel) {
  setObjectName("PTGroup1");
  setFixedHeight(33);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 3, 4, 3);
  combo_->setObjectName("FilterComboBox1");
  combo_->setMinimumWidth(166);
  auto* up = new QToolButton;
  up->setObjectName("UpOneLevelBtn");
  new UpIconAfterFirstPaint(up);
  up->setAutoRaise(true);
  path_->setObjectName("FolderPathLb");
  layout->addWidget(combo_);
  layout->addWidget(up);
  layout->addWidget(path_, 1);
  connect(combo_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    filter_.Select(index);
    AnnounceMask();
  });
  connect(up, &QToolButton::clicked, this, &FilterBar::UpOneLevelClicked);
}

void FilterBar::SetFilterText(const QString& text) {
  if (!filter_.SetText(text.toStdString()))
    return;
  combo_->clear();
  for (const auto& entry : filter_.entries())
    combo_->addItem(QString::fromStdString(entry.description));
  combo_->setCurrentIndex(filter_.selected());
  AnnounceMask();
}

QString FilterBar::Description() const {
  return combo_->currentText();
}

void FilterBar::ShowFolder(const QString& folder) {
  // A folder's name may hold line breaks and characters that reorder text.
  static_cast<PathLabel*>(path_)->SetPath(
      QString::fromStdString(DisplayText(PathBytes(QDir::toNativeSeparators(folder)))));
}

void FilterBar::AnnounceMask() {
  if (filter_.selected() < 0)
    filter_.Select(-1);
  emit MaskChosen(QString::fromStdString(filter_.SelectedMask()));
}

}  // namespace vls
