#include "app/widgets/FilterBar.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
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
  up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
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
